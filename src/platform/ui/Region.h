#pragma once

// A set of pixels kept as disjoint rectangles: the visible parts of windows
// and their update regions.

#include "platform/gdi/GdiTypes.h"

#include <vector>

namespace platform::ui {

bool RectEmpty(const RECT& r);
RECT RectIntersect(const RECT& a, const RECT& b);
RECT RectUnion(const RECT& a, const RECT& b);
RECT RectOffset(RECT r, int dx, int dy);
// A rectangle of the size of `r` with its top-left corner at `origin`.
RECT RectAt(POINT origin, const RECT& r);

class CRegion {
public:
    CRegion() = default;
    explicit CRegion(const RECT& r) { Add(r); }

    bool Empty() const { return m_rects.empty(); }
    const std::vector<RECT>& Rects() const { return m_rects; }
    RECT Bounds() const;

    void Clear() { m_rects.clear(); }
    // Adds the pixels of `r` not yet in the region.
    void Add(const RECT& r);
    void Subtract(const RECT& r);
    void Intersect(const RECT& r);
    void Intersect(const CRegion& other);
    void Offset(int dx, int dy);
    // Replaces the rectangles by their bounding one once there are more than
    // `maxRects` of them.
    void Simplify(std::size_t maxRects);

private:
    std::vector<RECT> m_rects;
};

}  // namespace platform::ui
