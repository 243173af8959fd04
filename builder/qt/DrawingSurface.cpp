// The drawing surface widget: painting the graph being edited and handing the user's mouse
// and keys to the surface model.
#include "builder/qt/DrawingSurface.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QThread>

#include <array>
#include <cmath>

#include "builder/QuillonApp.h"
#include "builder/XXColors.h"
#include "builder/qt/NodeDialogs.h"
#include "definitions/PXGraphs.h"
#include "definitions/PXNode.h"
#include "foundation/XXGRID.h"
#include "foundation/XXSTRTABLE.h"

namespace {

const QColor kBackground(150, 150, 150);
const QColor kNodeFill(255, 255, 224);
const QColor kStartFill(214, 245, 214);
const QColor kStartBorder(0, 110, 0);
const QColor kCommentFill(236, 236, 236);
const QColor kFocusBorder(0, 70, 200);
constexpr double kArrowLength = 11.0;
constexpr double kArrowHalfWidth = 5.0;
constexpr double kLinkHitDistance = 4.0;

QPoint qp(XXPOINT p) { return {p.x, p.y}; }
QRect qr(const XXRECT& r) { return {r.x, r.y, r.width, r.height}; }
QColor qc(XXRGB c) { return {c.red, c.green, c.blue}; }

QString text(const XXWSTRING& w) { return QString::fromUtf16(w.text() ? w.text() : u""); }

// Where the line from `inside` (in `r`) towards `outside` leaves `r`; `inside` itself when
// `outside` is in `r` too.
QPointF borderPoint(QPointF inside, QPointF outside, const QRectF& r) {
    if (r.contains(outside)) return inside;
    const QPointF d = outside - inside;
    double t = 1.0;
    if (d.x() > 0) t = std::min(t, (r.right() - inside.x()) / d.x());
    if (d.x() < 0) t = std::min(t, (r.left() - inside.x()) / d.x());
    if (d.y() > 0) t = std::min(t, (r.bottom() - inside.y()) / d.y());
    if (d.y() < 0) t = std::min(t, (r.top() - inside.y()) / d.y());
    return inside + d * std::max(t, 0.0);
}

// The line a link is drawn with: its routed path, cut where it leaves its source and where
// it meets its target, so that the arrowhead is not hidden under the target.
QPolygonF drawnPath(const XXGRAPH& graph, const XXNODELINK& link) {
    std::array<XXPOINT, 4> points;
    const int32_t n = link.path(points);
    QPolygonF line;
    for (int32_t i = 0; i < n; ++i) line << QPointF(qp(points[size_t(i)]));
    if (line.size() < 2) return line;
    const XXNODE* source = graph.findNode(link.sourceId());
    const XXNODE* target = graph.findNode(link.targetId());
    if (source) {
        const QRectF r = qr(graph.itemRect(*source)).adjusted(-1, -1, 1, 1);
        if (r.contains(line[0])) line[0] = borderPoint(line[0], line[1], r);
    }
    if (target) {
        const QRectF r = qr(graph.itemRect(*target)).adjusted(-2, -2, 2, 2);
        const qsizetype last = line.size() - 1;
        if (r.contains(line[last])) line[last] = borderPoint(line[last], line[last - 1], r);
    }
    return line;
}

double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double len2 = d.x() * d.x() + d.y() * d.y();
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / len2, 0.0, 1.0) : 0.0;
    const QPointF q = a + d * t - p;
    return std::hypot(q.x(), q.y());
}

// Where the link number of a line goes: beside the middle of its longest segment, above a
// horizontal segment and right of a vertical one, so that it covers neither the line nor
// the arrowhead.
QRectF numberBox(const QPolygonF& line, QSizeF size) {
    QLineF longest;
    for (qsizetype i = 1; i < line.size(); ++i)
        if (QLineF(line[i - 1], line[i]).length() >= longest.length()) longest = QLineF(line[i - 1], line[i]);
    const QPointF mid = longest.center();
    const bool flat = std::abs(longest.dx()) >= std::abs(longest.dy());
    const double gap = kArrowHalfWidth + 1;
    const QPointF centre = flat ? mid + QPointF(0, -(size.height() / 2 + gap)) : mid + QPointF(size.width() / 2 + gap, 0);
    return QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size);
}

// The base font, scaled down step by step (not below kSmallestPoints) until `label`,
// word-wrapped, fits in `box`.
QFont fittingFont(QFont f, bool italic, const QRect& box, const QString& label) {
    constexpr double kSmallestPoints = 6.0;
    f.setItalic(italic);
    for (double size = f.pointSizeF(); size > kSmallestPoints; size -= 0.5) {
        f.setPointSizeF(size);
        const QRect need = QFontMetrics(f).boundingRect(box, Qt::TextWordWrap, label);
        if (need.width() <= box.width() && need.height() <= box.height()) return f;
    }
    f.setPointSizeF(kSmallestPoints);
    return f;
}

}  // namespace

DrawingSurface::DrawingSurface(QuillonApp& app, QWidget* parent)
    : QWidget(parent),
      app_(app),
      editor_(*this, [this] { return matchNames(); },
              [this] {
                  app_.modified = true;
                  fitContent();
              }) {
    setObjectName("DrawingSurface");
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    const QFontMetrics fm(font());
    setCharSize({fm.averageCharWidth(), fm.height()});
}

DrawingSurface::~DrawingSurface() {
    // The graphs outlive the window: they keep their items without a surface.
    if (IPXEngine* engine = app_.engine()) {
        PXGraphs* graphs = nullptr;
        if (engine->definition().grabGraphs(graphs) == 2 && graphs) {
            for (PXGraphIter it(*graphs); PXGraph* g = it.next();) {
                g->setSurface(nullptr);
                g->setOwner(nullptr);
            }
            graphs->setSurface(nullptr, nullptr);
        }
        engine->definition().releaseGraphs();
    }
    app_.surface = nullptr;
}

QWidget* DrawingSurface::create(QuillonApp& app, QWidget* parent, DrawingSurface** made) {
    auto* area = new QScrollArea(parent);
    area->setObjectName("SurfaceArea");
    area->setWidgetResizable(true);
    area->setBackgroundRole(QPalette::Dark);
    auto* surface = new DrawingSurface(app, area);
    area->setWidget(surface);
    app.surface = surface;
    surface->showGraph();
    if (made) *made = surface;
    return area;
}

void DrawingSurface::showGraph() {
    PXGraph* shown = nullptr;
    if (IPXEngine* engine = app_.engine()) {
        PXGraphs* graphs = nullptr;
        if (engine->definition().grabGraphs(graphs) == 2 && graphs) {
            graphs->setSurface(this, &editor_);
            shown = app_.selectedGraph >= 0 ? graphs->group(app_.selectedGraph) : &graphs->main;
        }
        engine->definition().releaseGraphs();
    }
    if (shown != graph()) setGraph(shown ? shown : nullptr);
    fitContent();
    update();
}

std::vector<std::string> DrawingSurface::matchNames() const {
    std::vector<std::string> names;
    if (const XXGRID* grid = app_.findGrid(loadString(1240)))
        for (int32_t r = 0; r < grid->rowCount(); ++r)
            if (const XXFLD* f = grid->getCell(0, r)) names.emplace_back(f->getText());
    return names;
}

void DrawingSurface::fitContent() {
    const XXRECT area = contentArea();
    QRect all(0, 0, area.right(), area.bottom());
    // The actions printed under the nodes are part of what must be reachable.
    if (graph())
        for (const XXNODE* n : graph()->nodes())
            if (const auto* node = dynamic_cast<const PXNode*>(n); node && node->actionsSummary().length() > 0)
                all |= actionsArea(*node).adjusted(0, 0, kMargin, kMargin);
    setMinimumSize(all.right(), all.bottom());
    update();
}

int32_t DrawingSurface::linkAt(QPoint p) const {
    if (!graph()) return 0;
    for (const XXNODE* node : graph()->nodes())
        for (const XXNODELINK* link : node->links()) {
            const QPolygonF line = drawnPath(*graph(), *link);
            for (qsizetype i = 1; i < line.size(); ++i)
                if (distanceToSegment(p, line[i - 1], line[i]) <= kLinkHitDistance) return link->id();
        }
    return 0;
}

// --- painting ---------------------------------------------------------------------------

void DrawingSurface::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!graph()) return;
    paintLinks(p);
    for (int32_t id : shownItems())
        if (const XXGRAPHITEM* item = graph()->findItem(id)) paintItem(p, *item);
}

void DrawingSurface::paintLinks(QPainter& p) const {
    QFont numberFont = font();
    numberFont.setPointSizeF(numberFont.pointSizeF() * 0.85);
    numberFont.setBold(true);
    for (const XXNODE* node : graph()->nodes())
        for (const XXNODELINK* link : node->links()) {
            const QPolygonF line = drawnPath(*graph(), *link);
            if (line.size() < 2) continue;
            const QColor colour = qc(XXColors::rgb(link->color()));
            p.setPen(QPen(colour, 2));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(line);
            // The arrowhead: its tip on the end point, its base back along the last segment.
            const QLineF last(line[line.size() - 2], line.last());
            if (last.length() > 0) {
                const QPointF d = (last.p2() - last.p1()) / last.length();
                const QPointF n(-d.y(), d.x());
                const QPointF base = last.p2() - d * kArrowLength;
                p.setPen(QPen(colour, 1));
                p.setBrush(colour);
                p.drawPolygon(QPolygonF{last.p2(), base + n * kArrowHalfWidth, base - n * kArrowHalfWidth});
            }
            // The link number in a small box beside the line.
            const QString number = QString::number(link->number());
            p.setFont(numberFont);
            const QFontMetrics fm(numberFont);
            const QRectF box = numberBox(line, QSizeF(fm.horizontalAdvance(number) + 6, fm.height()));
            p.setPen(QPen(colour.darker(130), 1));
            p.setBrush(QColor(255, 255, 255, 230));
            p.drawRoundedRect(box, 3, 3);
            p.setPen(Qt::black);
            p.drawText(box, Qt::AlignCenter, number);
        }
    if (const XXNODELINK* rubber = graph()->dragLink()) {
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawLine(qp(rubber->start()), qp(rubber->end()));
    }
}

void DrawingSurface::paintItem(QPainter& p, const XXGRAPHITEM& item) const {
    const QRect r = qr(graph()->itemRect(item)).adjusted(0, 0, -1, -1);
    const auto* node = dynamic_cast<const PXNode*>(&item);
    const bool start = node && node->isStart();
    const bool focused = item.id() == focusedItem() && hasFocus();
    p.setBrush(item.isComment() ? kCommentFill : start ? kStartFill : kNodeFill);
    QPen border(focused ? kFocusBorder : start ? kStartBorder : Qt::black, focused || start ? 2 : 1);
    if (item.isComment()) border.setStyle(focused ? Qt::SolidLine : Qt::DotLine);
    p.setPen(border);
    p.drawRect(r);
    const QString label = text(item.displayText());
    const QRect inner = r.adjusted(3, 1, -1, -1);
    p.setFont(fittingFont(font(), item.isComment(), inner, label));
    p.setPen(Qt::black);
    p.drawText(inner, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, label);
    // The node's actions, one a line, in small print under the box.
    if (node && node->actionsSummary().length() > 0) {
        p.setFont(smallFont());
        p.setPen(QColor(40, 40, 90));
        p.drawText(actionsArea(*node), Qt::AlignTop | Qt::AlignLeft, text(node->actionsSummary()).trimmed());
    }
}

QFont DrawingSurface::smallFont() const {
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    return small;
}

QRect DrawingSurface::actionsArea(const PXNode& node) const {
    const QRect r = qr(graph()->itemRect(node));
    const QRect need = QFontMetrics(smallFont()).boundingRect(QRect(0, 0, 2000, 2000), Qt::AlignLeft,
                                                              text(node.actionsSummary()).trimmed());
    return {r.left(), r.bottom() + 2, need.width() + 2, need.height()};
}

// --- the user's mouse and keys ----------------------------------------------------------

void DrawingSurface::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    const int32_t id = itemAt({pos.x(), pos.y()});
    if (id) {
        press(id, {pos.x(), pos.y()});
    } else {
        pressSurface({pos.x(), pos.y()});
    }
    update();
}

void DrawingSurface::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->buttons() & Qt::LeftButton) dragTo({pos.x(), pos.y()});
    hover(itemAt({pos.x(), pos.y()}), {pos.x(), pos.y()});
}

void DrawingSurface::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) release();
}

void DrawingSurface::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint pos = event->position().toPoint();
    release();
    if (const int32_t id = itemAt({pos.x(), pos.y()})) {
        openMenu(id, qr(graph()->itemRect(*graph()->findItem(id))).bottomLeft());
    } else {
        doubleClick({pos.x(), pos.y()});
    }
}

void DrawingSurface::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint pos = event->pos();
    int32_t id = itemAt({pos.x(), pos.y()});
    if (!id) id = linkAt(pos);
    if (id) openMenu(id, pos);
}

void DrawingSurface::openMenu(int32_t id, QPoint where) {
    if (!graph()) return;
    const XXMENU& entries = graph()->contextMenu(id);
    if (entries.empty()) return;
    QMenu menu(this);
    menu.setObjectName("ItemMenu");
    for (const XXMENUENTRY& e : entries) menu.addAction(QString::fromUtf8(loadString(e.stringId)))->setData(e.command);
    QAction* chosen = menu.exec(mapToGlobal(where));
    if (chosen) menuCommand(id, chosen->data().toInt());
    update();
}

void DrawingSurface::keyPressEvent(QKeyEvent* event) {
    const int32_t id = focusedItem();
    auto* area = qobject_cast<QScrollArea*>(parentWidget() ? parentWidget()->parentWidget() : nullptr);
    switch (event->key()) {
    case Qt::Key_Left: nudge(id, -1, 0); break;
    case Qt::Key_Right: nudge(id, 1, 0); break;
    case Qt::Key_Up: nudge(id, 0, -1); break;
    case Qt::Key_Down: nudge(id, 0, 1); break;
    case Qt::Key_Tab: tab(id, false); break;
    case Qt::Key_Backtab: tab(id, true); break;
    case Qt::Key_Delete: deleteKey(id); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (const XXGRAPHITEM* item = graph() ? graph()->findItem(id) : nullptr)
            openMenu(id, qr(graph()->itemRect(*item)).bottomLeft());
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (area) {
            QScrollBar* bar = area->verticalScrollBar();
            bar->setValue(bar->value() + (event->key() == Qt::Key_PageUp ? -bar->pageStep() : bar->pageStep()));
        }
        break;
    default: QWidget::keyPressEvent(event); return;
    }
    update();
}

bool DrawingSurface::focusNextPrevChild(bool) { return false; }

// --- model hooks ------------------------------------------------------------------------

void DrawingSurface::itemAdded(int32_t) { repaintSoon(); }
void DrawingSurface::itemRemoved(int32_t) { repaintSoon(); }
void DrawingSurface::itemChanged(int32_t) { repaintSoon(); }
void DrawingSurface::areaChanged(const XXRECT&) { repaintSoon(); }
void DrawingSurface::graphShown() { repaintSoon(); }

void DrawingSurface::repaintSoon() {
    // A run on its worker thread selects the node that stops its preparation; the widget is
    // repainted on its own thread.
    if (QThread::currentThread() == thread()) {
        update();
    } else {
        QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
    }
}

// --- questions --------------------------------------------------------------------------

bool DrawingSurface::editNodeProperties(PXNodeProps& props, const std::vector<std::string>& names) {
    return NodeDialogs::editProperties(this, props, names);
}

bool DrawingSurface::editNodeString(const std::string& caption, PXNodeString& value) {
    return NodeDialogs::editString(this, NodeDialogs::plain(caption.c_str()), value);
}

bool DrawingSurface::editNodeActions(PXNode& node) { return app_.editNodeActions(node); }

bool DrawingSurface::confirmDelete(int32_t id) {
    const XXGRAPHITEM* item = graph() ? graph()->findItem(id) : nullptr;
    const QString what = item ? text(item->displayText()) : QString("the link");
    return NodeDialogs::confirm(this, "Delete " + (what.isEmpty() ? QString("the item") : what) + "?");
}

int32_t DrawingSurface::chooseName(const char* caption, const char* const* names, int32_t count, int32_t current) {
    QStringList list;
    for (int32_t i = 0; i < count; ++i) list << QString::fromUtf8(names[i]);
    return NodeDialogs::chooseName(this, NodeDialogs::plain(caption), list, current);
}

bool DrawingSurface::askNumber(const char* caption, int32_t& value) {
    int v = value;
    if (!NodeDialogs::askNumber(this, NodeDialogs::plain(caption), v)) return false;
    value = v;
    return true;
}

bool DrawingSurface::askText(const char* caption, XXSTRING& value, int32_t maxLength) {
    QString t = QString::fromLocal8Bit(value.text());
    if (!NodeDialogs::askText(this, NodeDialogs::plain(caption), t, maxLength)) return false;
    value = t.toLocal8Bit().constData();
    return true;
}
