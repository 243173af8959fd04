// DrawingSurface: the widget on which the builder draws and edits a definition's graph.
//
// It is the drawing surface model (XXDrawModel) on a QWidget: it paints the items of the
// graph being edited (nodes with their labels, the start node marked, comments), the links
// as straight or elbow lines in their colours with filled arrowheads at the target and their
// numbers beside them, and the rubber line of a link being dragged; and it hands the user's
// mouse and keys to the model, which passes every change through the graph container. It
// also asks the container's and the node commands' questions in small dialogs.
//
// create() makes the surface inside a scroll area and attaches it to every graph of the
// application's definition: the one call a main window needs.
#pragma once

#include <QWidget>

#include "builder/PXGraphEditor.h"
#include "builder/XXDrawModel.h"

class QuillonApp;

class DrawingSurface : public QWidget, public XXDrawModel, public IPXNodeDialogs {
public:
    DrawingSurface(QuillonApp& app, QWidget* parent);
    ~DrawingSurface() override;

    // A surface for `app` in a scroll area (the widget to embed); `made` receives the surface.
    static QWidget* create(QuillonApp& app, QWidget* parent, DrawingSurface** made = nullptr);

    // Shows the graph the application edits (the main graph or the chosen node group).
    void showGraph();
    // Opens the context menu of item `id` (node, comment or link) at `where` (surface point).
    void openMenu(int32_t id, QPoint where);
    // The link whose line passes within a few pixels of `p`, or 0.
    int32_t linkAt(QPoint p) const;

    bool editNodeProperties(PXNodeProps& props, const std::vector<std::string>& names) override;
    bool editNodeString(const std::string& caption, PXNodeString& value) override;
    bool editNodeActions(PXNode& node) override;
    bool confirmDelete(int32_t id) override;
    int32_t chooseName(const char* caption, const char* const* names, int32_t count, int32_t current) override;
    bool askNumber(const char* caption, int32_t& value) override;
    bool askText(const char* caption, XXSTRING& text, int32_t maxLength) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab walk the nodes, not the window's widgets.
    bool focusNextPrevChild(bool next) override;

    void itemAdded(int32_t id) override;
    void itemRemoved(int32_t id) override;
    void itemChanged(int32_t id) override;
    void areaChanged(const XXRECT& area) override;
    void graphShown() override;

private:
    void fitContent();
    // Schedules a repaint; callable from any thread.
    void repaintSoon();
    void paintLinks(class QPainter& p) const;
    void paintItem(class QPainter& p, const XXGRAPHITEM& item) const;
    std::vector<std::string> matchNames() const;
    QFont smallFont() const;
    // Where a node's actions are printed, under its box.
    QRect actionsArea(const class PXNode& node) const;

    QuillonApp& app_;
    PXGraphEditor editor_;
};
