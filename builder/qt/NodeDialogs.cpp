// The drawing surface's dialogs on Qt widgets.
#include "builder/qt/NodeDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "foundation/XXSTRTABLE.h"

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// A form dialog with OK and Cancel under its rows.
class FormDialog : public QDialog {
public:
    FormDialog(QWidget* parent, const QString& caption) : QDialog(parent), form(new QFormLayout) {
        setWindowTitle(caption);
        auto* outer = new QVBoxLayout(this);
        outer->addLayout(form);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        outer->addWidget(buttons);
    }
    QFormLayout* form;
};

}  // namespace

namespace NodeDialogs {

QString plain(const char* text) { return QString::fromUtf8(text).remove('&'); }

bool editProperties(QWidget* parent, PXNodeProps& props, const std::vector<std::string>& names) {
    FormDialog d(parent, plain(loadString(1034)));
    d.setObjectName("NodeProperties");
    auto* tag = new QLineEdit(qs(props.tag));
    tag->setObjectName("Tag");
    tag->setMaxLength(PXNodeProps::kTagLength);
    auto* pattern = new QComboBox;
    pattern->setObjectName("Pattern");
    pattern->setEditable(true);
    pattern->addItem(QString());
    for (const std::string& n : names) pattern->addItem(qs(n));
    pattern->lineEdit()->setMaxLength(PXNodeProps::kPatternLength);
    pattern->setCurrentText(qs(props.pattern));
    auto* number = new QSpinBox;
    number->setObjectName("NodeNumber");
    number->setRange(1, 999);
    number->setValue(props.number);
    d.form->addRow(plain(loadString(1286)), tag);
    d.form->addRow("Pattern", pattern);
    d.form->addRow("Node number", number);
    if (d.exec() != QDialog::Accepted) return false;
    props.tag = tag->text().toStdString();
    props.pattern = pattern->currentText().toStdString();
    props.number = number->value();
    return true;
}

bool editString(QWidget* parent, const QString& caption, PXNodeString& value) {
    FormDialog d(parent, caption);
    d.setObjectName("NodeString");
    auto* text = new QLineEdit(qs(value.value));
    text->setObjectName("Value");
    text->setMaxLength(PXNodeString::kValueLength);
    text->setMinimumWidth(260);
    auto* ignoreCase = new QCheckBox;
    ignoreCase->setObjectName("IgnoreCase");
    ignoreCase->setChecked(value.ignoreCase);
    d.form->addRow(plain(loadString(1206)), text);
    d.form->addRow(plain(loadString(1036)), ignoreCase);
    if (d.exec() != QDialog::Accepted) return false;
    value.value = text->text().toStdString();
    value.ignoreCase = ignoreCase->isChecked();
    return true;
}

bool confirm(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, "Quillon", text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

int chooseName(QWidget* parent, const QString& caption, const QStringList& names, int current) {
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, caption, caption, names, current < 0 ? 0 : current, false, &ok);
    return ok ? int(names.indexOf(chosen)) : -1;
}

bool askNumber(QWidget* parent, const QString& caption, int& value) {
    bool ok = false;
    const int n = QInputDialog::getInt(parent, caption, caption, value, -999, 999, 1, &ok);
    if (ok) value = n;
    return ok;
}

bool askText(QWidget* parent, const QString& caption, QString& text, int maxLength) {
    bool ok = false;
    const QString t = QInputDialog::getMultiLineText(parent, caption, caption, text, &ok);
    if (ok) text = t.left(maxLength);
    return ok;
}

}  // namespace NodeDialogs
