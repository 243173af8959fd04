// XXGRAPH: the container of a graph's nodes, links and comments.
//
// The graph is the model: it owns every item, hands out their ids, keeps all items in the
// order they were added and the nodes in their own order (a node's position there is its
// number), links nodes by id, deletes a node together with every link that points at it,
// and keeps the extents of the nodes. It runs the same with or without a drawing surface
// (IXXSURFACE). With one, every node and comment gets a window carrying its id, every
// change is mirrored on the surface, and the surface's signals come back through handle()
// naming their item by id. The owner (IXXGRAPHOWNER, optional) hears of changes, selections
// and property requests, and receives the context-menu commands the graph does not carry
// out itself.
//
// Ownership: the node list owns the nodes; the item list holds every item in insertion
// order, borrowing the nodes and owning the comments; each node owns its links.
//
// Derived graphs (the pattern graph) override the virtual operations below; they keep their
// declaration order.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/GLIST.h"
#include "foundation/XXGRAPHITEM.h"
#include "foundation/XXNODE.h"
#include "foundation/XXSTRING.h"
#include "foundation/XXSURFACE.h"

// Signals from the drawing surface. The first integer names the item unless stated.
namespace XXSIG {
constexpr int32_t select = 2025;
constexpr int32_t focusLost = 2026;
constexpr int32_t placed = 2029;      // moved or resized: the rectangle is taken from the surface
constexpr int32_t changed = 2030;
constexpr int32_t properties = 2031;
// Pointer moves while a new link is dragged: the first integer is the node under the pointer
// (0 over the bare surface), the second the pointer position, x in the low and y in the high
// 16 bits (both signed).
constexpr int32_t linkDrag = 2045;
// The button goes down while a new link is dragged: the integers as for linkDrag.
constexpr int32_t linkDrop = 2046;
constexpr int32_t previousNode = 2055;
constexpr int32_t nextNode = 2056;
constexpr int32_t setText = 2064;     // the pointer is the new label (const char*)
constexpr int32_t command = 2069;     // the second integer is the context-menu command
constexpr int32_t dragStart = 2074;
constexpr int32_t moved = 2075;
constexpr int32_t dragMove = 2076;
constexpr int32_t resized = 2077;     // a node's drag ended or its size changed
}  // namespace XXSIG

class XXGRAPH;

// Whoever edits a graph. The operations are in their fixed order.
class IXXGRAPHOWNER {
public:
    virtual ~IXXGRAPHOWNER() = default;
    // Something in the graph changed (the definition now differs from its file).
    virtual void graphChanged(XXGRAPH& graph) = 0;
    // The user selected item `id`.
    virtual void itemSelected(XXGRAPH& graph, int32_t id) = 0;
    // The user asked for the properties of item `id` of type `itemType`.
    virtual void itemProperties(XXGRAPH& graph, int32_t id, int32_t itemType) = 0;
    // A context-menu command that the graph does not carry out itself; true when handled.
    virtual bool itemCommand(XXGRAPH& graph, int32_t id, int32_t command) = 0;
};

// Sizes for new nodes and the metrics the surface draws links with.
struct XXGRAPHLAYOUT {
    float nodeWidth = 5.0f;        // character cells
    float nodeHeight = 1.3f;       // character cells
    float lineWidth = 2.0f;
    float lineInset = 0.5f;
    int32_t arrowPen = 3;
    float arrowLength = 5.0f;
    float arrowHalfWidth = 3.0f;
};

// The bounding box of the nodes; all 0 while there are none.
struct XXEXTENTS {
    int32_t minX = 0;
    int32_t maxX = 0;
    int32_t minY = 0;
    int32_t maxY = 0;
    bool operator==(const XXEXTENTS&) const = default;
};

class XXGRAPH : public XX {
public:
    // The character cell assumed for default node sizes when there is no surface.
    static constexpr XXSIZE nominalCell{8, 16};
    // The window class of item windows.
    static constexpr const char* itemWindowClass = "XXWIN";

    XXSTRING name;
    XXGRAPHLAYOUT layout;

    explicit XXGRAPH(IXXSURFACE* surface = nullptr, IXXGRAPHOWNER* owner = nullptr);
    // Destroys every item; their windows are destroyed on the surface.
    ~XXGRAPH() override;
    // Not copyable or movable: items point at their graph.
    XXGRAPH(const XXGRAPH&) = delete;
    XXGRAPH& operator=(const XXGRAPH&) = delete;

    // --- virtual operations, in their fixed order ----------------------------------------

    // Carries out a surface signal (XXSIG) for item `a`; false when the signal is not one
    // the graph handles or names no item of it. Every signal that changed something ends
    // with a change report to the owner.
    virtual bool handle(int32_t signal, int32_t a, int32_t b, const void* pointer);
    // The context menu of item `id` (a node, comment or link); empty for an unknown id.
    virtual const XXMENU& contextMenu(int32_t id) const;
    // Hands a context-menu command that the graph does not carry out itself to the owner;
    // true when somebody handled it.
    virtual bool forwardToItem(int32_t id, int32_t command);
    // Re-routes and repaints every link.
    virtual void redrawLinks();
    // Ends a link drag and sets the id counter back to 0 when no item of any graph holds an
    // id any more (XXGRAPHITEM::rewindIds), so that a graph cleared on its own starts again
    // at id 1 while ids stay unique across graphs.
    virtual void reset();
    // Deletes every item (their windows too), then resets.
    virtual void clear();
    virtual void clearSelection();
    // Adds a node at (x, y) of `width` by `height` pixels (0 or less: the layout's default
    // size in character cells of the surface, or of nominalCell without one). Creates a bare
    // XXNODE when `node` is null. The node gets the next id and, with a surface, a window;
    // it becomes the selected item without the owner being told. Returns the node, or null
    // when it could not be added (it is then destroyed).
    virtual XXNODE* addNode(int32_t x, int32_t y, int32_t width = 0, int32_t height = 0,
                            std::unique_ptr<XXNODE> node = nullptr);
    // Deletes node `id` with every link from and to it; the remaining nodes' links close
    // up their numbers. False (and a report) when `id` is not a node of the graph.
    virtual bool delNode(int32_t id);
    // Adds a comment as addNode adds a node; comments are not nodes.
    virtual XXNOTE* addComment(int32_t x, int32_t y, int32_t width = 0, int32_t height = 0,
                               std::unique_ptr<XXNOTE> note = nullptr);
    // Deletes item `id`: a comment, a node (through delNode, links and all) or a link.
    // False (and a report) when the graph has no such item. An override of delNode must
    // delete through XXGRAPH::delNode, never through deleteItem, which calls it.
    virtual bool deleteItem(int32_t id);

    // --- attachments --------------------------------------------------------------------

    IXXSURFACE* surface() const { return surface_; }
    IXXGRAPHOWNER* owner() const { return owner_; }
    // Attaches a surface (or none). The previous surface is not called again: it owns its
    // windows. On the new one every node and comment gets a window at its rectangle, and
    // every link is re-routed.
    void setSurface(IXXSURFACE* surface);
    void setOwner(IXXGRAPHOWNER* owner) { owner_ = owner; }

    // --- items --------------------------------------------------------------------------

    // All nodes and comments in insertion order.
    const ALIST<XXGRAPHITEM>& items() const { return items_; }
    int32_t itemCount() const { return items_.count(); }
    // The nodes in node order.
    const ALIST<XXNODE>& nodes() const { return nodes_; }
    int32_t nodeCount() const { return nodes_.count(); }
    XXNODE* nodeAt(int32_t i) const { return nodes_.at(i); }

    // Finders by id; null when absent.
    XXGRAPHITEM* findItem(int32_t id) const;
    XXNODE* findNode(int32_t id) const;
    XXNODELINK* findLink(int32_t id) const;
    XXNOTE* findComment(int32_t id) const;
    // Positions by id in the item list and in the node list; -1 when absent.
    int32_t itemIndex(int32_t id) const;
    int32_t nodeIndex(int32_t id) const;
    // Moves the node at node position `from` to position `to`; false when either is out of
    // range. Item order and links are not affected.
    bool moveNode(int32_t from, int32_t to);

    // --- links --------------------------------------------------------------------------

    // Appends a link from `source` (a node of this graph) to node `targetId` and renumbers
    // the source's links. Refused (null) when the graph has no node `targetId`, or when the
    // source already links to it.
    XXNODELINK* addLink(XXNODE& source, int32_t targetId);
    // Removes the source's link to `targetId` and renumbers; false when there is none.
    bool removeLinkTo(XXNODE& source, int32_t targetId);
    // Moves the source's link to `targetId` to 1-based position `number` (0 or less: first;
    // past the end: last) and renumbers; false when there is no such link.
    bool renumberLink(XXNODE& source, int32_t targetId, int32_t number);
    // Recomputes a link's end points and routing kind from the two node rectangles and
    // repaints where it ran and where it runs now.
    void routeLink(XXNODELINK& link);
    // Re-routes every link from and to node `id`.
    void routeLinksOf(int32_t id);
    // The new link being dragged by the user, or null.
    const XXNODELINK* dragLink() const { return dragLink_.get(); }

    // --- selection, extents -------------------------------------------------------------

    // The selected item's id (0: none).
    int32_t selectedId() const { return selectedId_; }
    // Selects item `id`, gives its window the focus, and tells the owner when `tellOwner`.
    void select(int32_t id, bool tellOwner);
    const XXEXTENTS& extents() const { return extents_; }
    // Recomputes the bounding box of the node rectangles.
    void recomputeExtents();
    // The current rectangle of an item: its window's when it has one, else the stored one.
    XXRECT itemRect(const XXGRAPHITEM& item) const;

    // Tells the owner that the graph changed.
    void reportChange();

private:
    // Adopts an item: id, graph, surface, rectangle and window. False when it has no id.
    bool adopt(XXGRAPHITEM& item, const XXRECT& rect);
    void adoptLink(XXNODE& source, XXNODELINK& link);
    // Asks the surface for the item's window at its rectangle (a failure is reported).
    void makeWindow(XXGRAPHITEM& item);
    // Removes the item's window from the surface.
    void dropWindow(XXGRAPHITEM& item);
    // Takes the item's rectangle from its window.
    void takeRect(XXGRAPHITEM& item);
    XXSIZE cellSize() const;
    XXRECT placeRect(int32_t x, int32_t y, int32_t width, int32_t height) const;
    void deleteAll();
    bool removeComment(int32_t itemPos);
    void selectNeighbour(int32_t id, int32_t step);
    bool runCommand(int32_t id, int32_t command);
    bool dragTo(int32_t nodeId, int32_t packedPoint);
    bool dropLink(int32_t nodeId);
    void endDrag();

    IXXSURFACE* surface_ = nullptr;
    IXXGRAPHOWNER* owner_ = nullptr;
    LIST<XXGRAPHITEM> items_;
    LIST<XXNODE> nodes_;
    std::unique_ptr<XXNODELINK> dragLink_;
    int32_t selectedId_ = 0;
    XXEXTENTS extents_;
};
