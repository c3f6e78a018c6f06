#include "platform/ui/Region.h"

#include <algorithm>

namespace platform::ui {

bool RectEmpty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

RECT RectIntersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (RectEmpty(r)) {
        return RECT{0, 0, 0, 0};
    }
    return r;
}

RECT RectUnion(const RECT& a, const RECT& b)
{
    if (RectEmpty(a)) {
        return b;
    }
    if (RectEmpty(b)) {
        return a;
    }
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

RECT RectOffset(RECT r, int dx, int dy)
{
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
    return r;
}

RECT RectAt(POINT origin, const RECT& r)
{
    return RECT{origin.x, origin.y, origin.x + (r.right - r.left), origin.y + (r.bottom - r.top)};
}

RECT CRegion::Bounds() const
{
    RECT bounds{0, 0, 0, 0};
    for (const RECT& r : m_rects) {
        bounds = RectUnion(bounds, r);
    }
    return bounds;
}

namespace {

// The parts of `r` outside `cut`: up to four bands.
void AppendDifference(const RECT& r, const RECT& cut, std::vector<RECT>& out)
{
    const RECT overlap = RectIntersect(r, cut);
    if (RectEmpty(overlap)) {
        out.push_back(r);
        return;
    }
    if (r.top < overlap.top) {
        out.push_back({r.left, r.top, r.right, overlap.top});
    }
    if (overlap.bottom < r.bottom) {
        out.push_back({r.left, overlap.bottom, r.right, r.bottom});
    }
    if (r.left < overlap.left) {
        out.push_back({r.left, overlap.top, overlap.left, overlap.bottom});
    }
    if (overlap.right < r.right) {
        out.push_back({overlap.right, overlap.top, r.right, overlap.bottom});
    }
}

}  // namespace

void CRegion::Add(const RECT& r)
{
    if (RectEmpty(r)) {
        return;
    }
    std::vector<RECT> pieces{r};
    for (const RECT& have : m_rects) {
        std::vector<RECT> next;
        for (const RECT& piece : pieces) {
            AppendDifference(piece, have, next);
        }
        pieces.swap(next);
        if (pieces.empty()) {
            return;
        }
    }
    m_rects.insert(m_rects.end(), pieces.begin(), pieces.end());
}

void CRegion::Subtract(const RECT& r)
{
    if (RectEmpty(r) || m_rects.empty()) {
        return;
    }
    std::vector<RECT> next;
    next.reserve(m_rects.size() + 3);
    for (const RECT& have : m_rects) {
        AppendDifference(have, r, next);
    }
    m_rects.swap(next);
}

void CRegion::Intersect(const RECT& r)
{
    std::vector<RECT> next;
    for (const RECT& have : m_rects) {
        const RECT overlap = RectIntersect(have, r);
        if (!RectEmpty(overlap)) {
            next.push_back(overlap);
        }
    }
    m_rects.swap(next);
}

void CRegion::Intersect(const CRegion& other)
{
    std::vector<RECT> next;
    for (const RECT& have : m_rects) {
        for (const RECT& r : other.m_rects) {
            const RECT overlap = RectIntersect(have, r);
            if (!RectEmpty(overlap)) {
                next.push_back(overlap);
            }
        }
    }
    m_rects.swap(next);
}

void CRegion::Offset(int dx, int dy)
{
    for (RECT& r : m_rects) {
        r = RectOffset(r, dx, dy);
    }
}

void CRegion::Simplify(std::size_t maxRects)
{
    if (m_rects.size() > maxRects) {
        const RECT bounds = Bounds();
        m_rects.assign(1, bounds);
    }
}

}  // namespace platform::ui
