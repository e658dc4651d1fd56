#pragma once
// The interface's one rectangle: client pixels, origin top-left, y down.

struct UiRect {
    float x, y, w, h;
    // Half-open, so that boxes laid edge to edge never both claim the pixel
    // on the edge they share.
    bool contains(float px, float py) const { return px >= x && px < x + w && py >= y && py < y + h; }
    // Whether the two share any area; boxes that only touch do not.
    bool overlaps(const UiRect& o) const { return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h; }
};
