// XXDrawModel: the drawing surface of the builder without its widgets.
//
// It is the IXXSURFACE that the definition's graphs mirror their items on: it keeps the
// rectangle of every item window by id, and it turns what the user does on the surface
// (arrow keys, Tab, Delete, dragging, a double click, a rubber-band link, a context-menu
// command) into the graph container's signals, so that every change of the graph goes
// through the container. The widget layer derives from it, draws what it keeps, and
// answers the questions (confirmations, names, numbers, texts) that the container asks;
// without a widget layer the questions are declined.
//
// All graphs of a definition share the one surface; the graph being edited is the one whose
// items are shown, hit and moved. Ids pass between the graph and the view, never pointers.
// Coordinates are surface pixels.
// Tests: tests/builder/SurfaceModelTest.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "foundation/XXGRAPH.h"
#include "foundation/XXSURFACE.h"

class XXDrawModel : public IXXSURFACE {
public:
    // The gap kept around the items when the surface's scrollable area is computed.
    static constexpr int32_t kMargin = 40;

    XXDrawModel() = default;
    ~XXDrawModel() override = default;
    XXDrawModel(const XXDrawModel&) = delete;
    XXDrawModel& operator=(const XXDrawModel&) = delete;

    // The graph being edited (null: none); its items are the ones shown.
    void setGraph(XXGRAPH* graph);
    XXGRAPH* graph() const { return graph_; }
    // Whether item `id` (node or comment) belongs to the graph being edited.
    bool shows(int32_t id) const;
    // Ids of the shown nodes and comments, in the graph's item order.
    std::vector<int32_t> shownItems() const;
    // The shown node or comment under `point`, the topmost (latest) first; 0 when none.
    int32_t itemAt(XXPOINT point) const;
    // The item that has the focus (0: none).
    int32_t focusedItem() const { return focus_; }
    // The area the surface must let the user scroll over: every shown item and link, with
    // kMargin around them, starting at (0, 0).
    XXRECT contentArea() const;

    void setCharSize(XXSIZE size) { cell_ = size; }

    // --- what the user does -------------------------------------------------------------
    // An arrow key on item `id`: the item moves by (dx, dy) pixels, kept on the surface,
    // and its links are re-routed once.
    void nudge(int32_t id, int32_t dx, int32_t dy);
    // Tab (forward) or Shift+Tab on item `id`: the next or previous node, wrapping.
    void tab(int32_t id, bool backward);
    // The Delete key on item `id` (the container asks for confirmation).
    void deleteKey(int32_t id);
    // A command chosen from the context menu of item `id` (node, comment or link).
    void menuCommand(int32_t id, int32_t command);
    // A double click on the empty surface: a new node there (null when none was added).
    XXNODE* doubleClick(XXPOINT point);
    // The New node / New comment command: a node or comment under the lowest item, at the
    // left; null when none was added.
    XXGRAPHITEM* addItem(bool comment);
    // The left button goes down on item `id` at surface point `pointer`: it takes the focus,
    // or, while a new link is being dragged, the link is dropped on it.
    void press(int32_t id, XXPOINT pointer);
    // The pointer moves with the button held after a press on item `id`: the first move
    // starts a drag of the item, every move keeps the grab offset.
    void dragTo(XXPOINT pointer);
    // The button is released (wherever the pointer is): the drag ends and the links follow.
    void release();
    bool dragging() const { return dragId_ != 0; }
    // The pointer moves over the surface or item `id` (0: the bare surface) while a new
    // link is being dragged: the rubber line follows.
    void hover(int32_t id, XXPOINT pointer);
    // The left button goes down on the bare surface: a link being dragged is dropped on
    // nothing (it ends without a link).
    void pressSurface(XXPOINT pointer);

    // --- IXXSURFACE ---------------------------------------------------------------------
    bool createItemWindow(const char* windowClass, int32_t id, const XXRECT& rect) override;
    void destroyItemWindow(int32_t id) override;
    bool itemRect(int32_t id, XXRECT& rect) const override;
    XXSIZE charSize() const override { return cell_; }
    int32_t lineSpacing() const override { return cell_.height / 4; }
    void redrawItem(int32_t id) override { itemChanged(id); }
    void redrawArea(const XXRECT& area) override { areaChanged(area); }
    void focusItem(int32_t id) override;
    bool confirmDelete(int32_t) override { return false; }
    int32_t chooseName(const char*, const char* const*, int32_t, int32_t) override { return -1; }
    bool askNumber(const char*, int32_t&) override { return false; }
    bool askText(const char*, XXSTRING&, int32_t) override { return false; }

protected:
    // Hooks of the widget layer; the model calls them after it changed its own state.
    virtual void itemAdded(int32_t) {}
    virtual void itemRemoved(int32_t) {}
    // The item's rectangle, label or focus changed.
    virtual void itemChanged(int32_t) {}
    virtual void areaChanged(const XXRECT&) {}
    virtual void graphShown() {}

private:
    // Moves item `id`'s window to (x, y), kept at 0 or more; true when it moved.
    bool place(int32_t id, int32_t x, int32_t y);
    bool signal(int32_t sig, int32_t a, int32_t b = 0);

    XXGRAPH* graph_ = nullptr;
    std::map<int32_t, XXRECT> windows_;
    XXSIZE cell_{8, 16};
    int32_t focus_ = 0;
    int32_t pressId_ = 0;          // the item the button went down on
    int32_t dragId_ = 0;           // the item being dragged
    XXPOINT grab_;                 // the pointer's offset inside the dragged item
};
