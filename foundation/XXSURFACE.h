// The drawing surface as the graph container sees it.
//
// A graph (XXGRAPH) mirrors its items on a surface when one is attached: every node and
// comment gets a child window whose id is the item's id, link lines are drawn on the surface
// between those windows, and the surface sends the user's actions back to the graph as
// numbered commands (XXGRAPH::handle). The graph needs from the surface only what is
// declared here; the windows themselves, their painting and the colours belong to the
// builder's implementation. The engine library has no surface: a graph with a null surface
// works the same, keeping its rectangles itself.
//
// Coordinates are surface pixels; a rectangle's x and y are its top-left corner.
#pragma once

#include <cstdint>

class XXSTRING;

struct XXPOINT {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const XXPOINT&) const = default;
};

struct XXSIZE {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const XXSIZE&) const = default;
};

// A rectangle; every field is -1 until the item it belongs to has been placed.
struct XXRECT {
    int32_t x = -1;
    int32_t y = -1;
    int32_t width = -1;
    int32_t height = -1;

    int32_t right() const { return x + width; }
    int32_t bottom() const { return y + height; }
    XXPOINT centre() const { return {x + width / 2, y + height / 2}; }
    bool operator==(const XXRECT&) const = default;
};

// The operations are in their fixed order; new ones go at the end.
class IXXSURFACE {
public:
    virtual ~IXXSURFACE() = default;

    // Creates the child window of class `windowClass` ("XXWIN") for item `id` at `rect`; the
    // window's id is the item's id. False when no window could be made (the item then lives
    // in the model only).
    virtual bool createItemWindow(const char* windowClass, int32_t id, const XXRECT& rect) = 0;
    // Destroys the window of item `id`; an id without a window is ignored.
    virtual void destroyItemWindow(int32_t id) = 0;
    // The current rectangle of item `id`'s window; false (and `rect` untouched) when the id
    // has no window.
    virtual bool itemRect(int32_t id, XXRECT& rect) const = 0;
    // The size of one character cell of the surface's font, in pixels.
    virtual XXSIZE charSize() const = 0;
    // The surface's line spacing in pixels (the gap kept between a link's end and a window).
    virtual int32_t lineSpacing() const = 0;
    // Repaints item `id`'s window (its label or text changed).
    virtual void redrawItem(int32_t id) = 0;
    // Repaints the part of the surface covered by `area` (where a link ran or now runs); the
    // surface adds its own margin for the pen and the arrowhead.
    virtual void redrawArea(const XXRECT& area) = 0;
    // Gives item `id`'s window the focus. The surface reports the focus change back as a
    // select command, as it does for a click.
    virtual void focusItem(int32_t id) = 0;

    // Questions to the user. A surface that cannot ask declines (false, or -1).

    // Asks whether item `id` is to be deleted.
    virtual bool confirmDelete(int32_t id) = 0;
    // Lets the user choose one of `count` names under `caption`, starting at `current`;
    // the chosen index, or -1 when cancelled.
    virtual int32_t chooseName(const char* caption, const char* const* names, int32_t count,
                               int32_t current) = 0;
    // Asks for a decimal number under `caption`, starting at `value`; false when cancelled.
    virtual bool askNumber(const char* caption, int32_t& value) = 0;
    // Lets the user edit `text` under `caption`, at most `maxLength` characters; false when
    // cancelled.
    virtual bool askText(const char* caption, XXSTRING& text, int32_t maxLength) = 0;
};
