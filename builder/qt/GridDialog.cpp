#include "builder/qt/GridDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

#include "builder/XXCommands.h"
#include "foundation/XXMSG.h"
#include "foundation/XXSTRTABLE.h"

namespace {

QRect rectOf(const XXBox& b) { return QRect(b.x, b.y, b.w, b.h); }

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The keys a cell hands to the dialog's model instead of handling them itself.
bool modelKey(int key, XXKey& out) {
    switch (key) {
    case Qt::Key_PageUp: out = XXKey::pageUp; return true;
    case Qt::Key_PageDown: out = XXKey::pageDown; return true;
    case Qt::Key_Up: out = XXKey::up; return true;
    case Qt::Key_Down: out = XXKey::down; return true;
    case Qt::Key_Tab: out = XXKey::tab; return true;
    case Qt::Key_Backtab: out = XXKey::backTab; return true;
    case Qt::Key_Escape: out = XXKey::escape; return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: out = XXKey::enter; return true;
    case Qt::Key_F1: out = XXKey::f1; return true;
    case Qt::Key_F2: out = XXKey::f2; return true;
    default: return false;
    }
}

// Behaviour shared by both kinds of cell: focus reports, the dialog's keys, Enter and double
// click as Select, Tab kept from the focus chain.
template <typename Base>
class Cell : public Base {
public:
    Cell(XXGRIDD& model, int32_t col, int32_t row, QWidget* parent) : Base(parent), model_(model), col_(col), row_(row) {}

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
                keyPressEvent(k);
                return true;
            }
        }
        return Base::event(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        XXKey key;
        if (modelKey(e->key(), key)) {
            model_.key(key, col_, row_);
            return;
        }
        typedKey(e);
    }
    void focusInEvent(QFocusEvent* e) override {
        model_.focused(col_, row_);
        Base::focusInEvent(e);
    }
    void mouseDoubleClickEvent(QMouseEvent*) override { model_.key(XXKey::enter, col_, row_); }
    virtual void typedKey(QKeyEvent* e) { Base::keyPressEvent(e); }

    XXGRIDD& model_;
    int32_t col_, row_;
};

class CellEdit : public Cell<QLineEdit> {
public:
    CellEdit(XXGRIDD& model, int32_t col, int32_t row, QWidget* parent, const bool& ended)
        : Cell(model, col, row, parent), ended_(ended) {}

protected:
    // A printable character passes the field kind's check first; editing keys (Backspace,
    // Delete, cursor keys) edit freely. Every change is written back at once.
    void typedKey(QKeyEvent* e) override {
        const QString typed = e->text();
        if (!typed.isEmpty() && typed.at(0).isPrint() && !(e->modifiers() & Qt::ControlModifier)) {
            if (!model_.typed(col_, row_, int32_t(typed.at(0).unicode()))) return;
        }
        const QString before = text();
        QLineEdit::keyPressEvent(e);
        if (text() != before) model_.writeBack(col_, row_);
    }
    void focusOutEvent(QFocusEvent* e) override {
        QLineEdit::focusOutEvent(e);
        if (!ended_) model_.writeBack(col_, row_);
    }

private:
    const bool& ended_;
};

using CellCheck = Cell<QCheckBox>;

}  // namespace

XXMetrics GridDialog::metricsFor(const QWidget& widget) {
    const QFontMetrics fm(widget.font());
    XXMetrics m;
    m.charUnit = fm.averageCharWidth() * 26 / 20;
    m.rowHeight = (fm.height() + fm.leading()) * 3 / 2;
    m.scrollBar = widget.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m.checkBox = 18;
    m.textWidth = [fm](const std::string& s) { return fm.horizontalAdvance(qs(s)); };
    return m;
}

GridDialog::GridDialog(XXGRID& grid, int32_t level, QWidget* parent, HelpFn help)
    : QDialog(parent), model_(grid, level, *this), help_(std::move(help)) {
    setObjectName(QString("grid%1").arg(level));
    // Modal to the windows under it only, so that the help window stays usable beside it.
    setWindowModality(Qt::WindowModal);
    fault_ = model_.init();
    if (fault_.empty()) build();
}

void GridDialog::build() {
    setWindowTitle(qs(model_.caption()));
    const XXMetrics m = metricsFor(*this);
    const XXDlgLayout layout = model_.layout(m);
    for (const XXDlgLabel& l : layout.labels) {
        auto* label = new QLabel(qs(l.text), this);
        label->setGeometry(rectOf(l.box));
        if (l.bordered) {
            label->setFrameStyle(QFrame::Panel | QFrame::Raised);
            label->setAutoFillBackground(true);
        }
        if (l.section) {
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
        }
    }
    for (const XXDlgCell& c : layout.cells) {
        QWidget* w = nullptr;
        if (c.check) {
            auto* box = new CellCheck(model_, c.col, c.rowOnPage, this);
            box->setText(qs(c.checkText));
            connect(box, &QCheckBox::clicked, this, [this, c] {
                if (!updating_) model_.writeBack(c.col, c.rowOnPage);
            });
            w = box;
        } else {
            auto* edit = new CellEdit(model_, c.col, c.rowOnPage, this, ended_);
            edit->setMaxLength(c.maxLength);
            w = edit;
        }
        w->setObjectName(QString("[%1:%2:%3]").arg(model_.level()).arg(c.rowOnPage).arg(c.col));
        w->setGeometry(rectOf(c.box));
        cells_[{c.col, c.rowOnPage}] = w;
    }
    scroll_ = new QScrollBar(layout.horizontalScroll ? Qt::Horizontal : Qt::Vertical, this);
    scroll_->setGeometry(rectOf(layout.scrollBar));
    scroll_->hide();
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!updating_) model_.scrollTo(value);
    });
    for (const XXDlgButton& b : layout.buttons) {
        auto* button = new QPushButton(qs(b.text), this);
        button->setGeometry(rectOf(b.box));
        button->setAutoDefault(false);
        const int32_t command = b.command;
        connect(button, &QPushButton::clicked, this, [this, command] { model_.command(command); });
        buttons_[command] = button;
    }
    setFixedSize(layout.width, layout.height);
    showValues();
}

int32_t GridDialog::run() {
    if (!fault_.empty()) {
        Tracer t("XXUI::buildDlgGrid");
        t << fault_.c_str() << endMsg;
        return -1;
    }
    focus(model_.curCol(), model_.rowOnPage());
    exec();
    return result_;
}

QWidget* GridDialog::cellWidget(int32_t col, int32_t rowOnPage) const {
    const auto it = cells_.find({col, rowOnPage});
    return it == cells_.end() ? nullptr : it->second;
}

QPushButton* GridDialog::button(int32_t command) const {
    const auto it = buttons_.find(command);
    return it == buttons_.end() ? nullptr : it->second;
}

// --- what the model asks -------------------------------------------------------------------

bool GridDialog::askYesNo(const std::string& text) {
    return QMessageBox::question(this, windowTitle(), qs(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void GridDialog::information(const std::string& text) { QMessageBox::information(this, "Information", qs(text)); }

void GridDialog::error(const std::string& text) { QMessageBox::critical(this, "Error", qs(text)); }

std::string GridDialog::editedText(int32_t col, int32_t rowOnPage) {
    auto* edit = dynamic_cast<QLineEdit*>(cellWidget(col, rowOnPage));
    return edit ? edit->text().toStdString() : std::string();
}

bool GridDialog::editedCheck(int32_t col, int32_t rowOnPage) {
    auto* box = dynamic_cast<QCheckBox*>(cellWidget(col, rowOnPage));
    return box && box->isChecked();
}

void GridDialog::showValues() {
    updating_ = true;
    for (auto& [place, w] : cells_) {
        const XXCellView v = model_.cell(place.first, place.second);
        if (auto* edit = dynamic_cast<QLineEdit*>(w)) {
            if (edit->text() != qs(v.text)) edit->setText(qs(v.text));
        } else if (auto* box = dynamic_cast<QCheckBox*>(w)) {
            box->setChecked(v.checked);
        }
    }
    if (scroll_) {
        scroll_->setRange(0, model_.scrollMaximum());
        scroll_->setPageStep(std::max(model_.pageRows() - 1, 1));
        scroll_->setValue(model_.currentRecord());
        scroll_->setVisible(model_.showScrollBar());
    }
    updating_ = false;
}

void GridDialog::focus(int32_t col, int32_t rowOnPage) {
    QWidget* w = cellWidget(col, rowOnPage);
    if (!w) return;
    // After a message box the dialog may not be the active window again yet.
    if (isVisible() && !isActiveWindow()) activateWindow();
    w->setFocus(Qt::OtherFocusReason);
}

void GridDialog::end(int32_t result) {
    result_ = result;
    ended_ = true;
    done(QDialog::Accepted);
}

int32_t GridDialog::pickFromList(const std::string& caption, const std::vector<std::string>& entries,
                                 int32_t preselected, int32_t cellWidth) {
    return ::pickFromList(this, caption, entries, preselected, cellWidth);
}

void GridDialog::contextHelp(int32_t helpId) {
    if (help_) help_(helpId);
}

// Escape, the window's close button and Cancel all go through the model, which asks before
// changes are lost.
void GridDialog::reject() {
    if (!ended_) model_.command(XXCMD::cancel);
}

void GridDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

// --- the list dialog -------------------------------------------------------------------------

int32_t pickFromList(QWidget* parent, const std::string& caption, const std::vector<std::string>& entries,
                     int32_t preselected, int32_t cellWidth) {
    QDialog dialog(parent);
    dialog.setObjectName("list");
    dialog.setWindowTitle(qs(caption));
    const XXListLayout l = listLayout(int32_t(entries.size()), cellWidth, GridDialog::metricsFor(dialog));
    auto* list = new QListWidget(&dialog);
    for (const std::string& e : entries) list->addItem(qs(e));
    list->setGeometry(rectOf(l.list));
    list->setCurrentRow(preselected >= 0 ? preselected : 0);
    auto* ok = new QPushButton(qs(loadString(100)), &dialog);
    auto* cancel = new QPushButton(qs(loadString(101)), &dialog);
    ok->setGeometry(rectOf(l.ok));
    cancel->setGeometry(rectOf(l.cancel));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    dialog.setFixedSize(l.width, l.height);
    list->setFocus();
    if (dialog.exec() != QDialog::Accepted) return -1;
    return list->currentRow();
}
