// Items of a graph: the common base XXGRAPHITEM, the free comment XXNOTE, and the
// process-wide item ids.
//
// Every item that a graph holds (nodes, links and comments) carries an id that is unique
// among all items of all graphs of the process. Ids are what passes between the graph and
// its drawing surface, and between the graph and whoever edits it: the surface's item
// windows carry them, and commands name their item by them. They come from one atomic
// counter, so that clients running on different threads never share one: the first id is 1,
// each new item gets the next one, and an id is never handed out twice while an item still
// holds an earlier one (see XXGRAPHITEM::rewindIds).
//
// An item knows its graph and, when the graph has one, the drawing surface; both are set
// when the graph adopts it. Items are neither copied nor moved: two items must never share an
// id, and the graph and the surface find items by their address and id.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "foundation/XXMSG.h"
#include "foundation/XXSTRING.h"
#include "foundation/XXSURFACE.h"

class XXGRAPH;

// One entry of an item's context menu: the command it sends and the string-table number
// of its text.
struct XXMENUENTRY {
    int32_t command = 0;
    int32_t stringId = 0;
    bool operator==(const XXMENUENTRY&) const = default;
};
using XXMENU = std::vector<XXMENUENTRY>;

// The context-menu commands that the container carries out itself; every other command goes
// to the graph's owner.
namespace XXCMD {
constexpr int32_t deleteItem = 1005;
constexpr int32_t linkColor = 1007;
constexpr int32_t linkTo = 1021;
constexpr int32_t renumberLink = 1022;
constexpr int32_t commentText = 1030;
}  // namespace XXCMD

class XXGRAPHITEM : public XX {
public:
    // Item types.
    static constexpr int32_t typeBase = -1;
    static constexpr int32_t typeNode = 3000;
    static constexpr int32_t typeLink = 3002;
    static constexpr int32_t typeComment = 3005;

    // A word that each kind of item may use for its own purpose; the container never reads it.
    uint32_t word = 0;

    ~XXGRAPHITEM() override;
    XXGRAPHITEM(const XXGRAPHITEM&) = delete;
    XXGRAPHITEM& operator=(const XXGRAPHITEM&) = delete;

    // The graph that holds the item (null until adopted), and its drawing surface (null
    // without one).
    XXGRAPH* graph() const { return graph_; }
    IXXSURFACE* surface() const { return surface_; }
    // The item's id; 0 until a graph adopts it.
    int32_t id() const { return id_; }
    int32_t itemType() const { return type_; }
    bool isNode() const { return type_ == typeNode; }
    bool isLink() const { return type_ == typeLink; }
    bool isComment() const { return type_ == typeComment; }
    // Whether the surface made a window for the item.
    bool hasWindow() const { return hasWindow_; }

    // The item's rectangle as last placed or taken from its window (all -1 until placed).
    const XXRECT& rect() const { return rect_; }

    // The label: a node's caption, a comment's text.
    const XXSTRING& label() const { return label_; }
    // Sets the label, rebuilds the display text and repaints the item's window.
    void setLabel(const char* text);
    // What the item's window shows.
    const XXWSTRING& displayText() const { return display_; }
    // Rebuilds the display text from the item's fields and repaints the item's window.
    void updateDisplay();

    // The (command, string id) entries of the item's context menu, in menu order.
    const XXMENU& contextMenu() const { return menu_; }

    // The last id handed out (0 before the first).
    static int32_t lastId();
    // How many items hold an id right now, in all graphs of the process.
    static int32_t liveIds();
    // Sets the counter back to 0, so that the next item gets id 1, when no item of any graph
    // holds an id any more; otherwise leaves it, so that ids stay unique. True when rewound.
    static bool rewindIds();

protected:
    explicit XXGRAPHITEM(int32_t type = typeBase);

    // Replaces the context menu (done by each kind of item when it is constructed).
    void setMenu(std::initializer_list<XXMENUENTRY> entries) { menu_.assign(entries); }
    // The display text for the current fields; by default the label.
    virtual XXWSTRING makeDisplayText() const;

    XXSTRING label_;

private:
    friend class XXGRAPH;

    // Gives the item the next id. False when the ids are exhausted.
    bool takeId();
    // Gives the id back (the item is being destroyed).
    void releaseId();

    XXGRAPH* graph_ = nullptr;
    IXXSURFACE* surface_ = nullptr;
    int32_t id_ = 0;
    int32_t type_;
    bool hasWindow_ = false;
    XXRECT rect_;
    XXWSTRING display_;
    XXMENU menu_;
};

// A free comment on the graph; its text is its label.
class XXNOTE : public XXGRAPHITEM {
public:
    XXNOTE();
    explicit XXNOTE(const char* text);
};
