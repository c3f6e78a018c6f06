#pragma once

// Inside the drawing layer: pen strokes and spans on a context's surface,
// shared by lines and shapes. Coordinates here are surface coordinates.

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Raster.h"

namespace platform::gdi::detail {

// Mixes pixels x0 .. x1 - 1 of row y with `color` by the mix mode, inside
// the clipping. Does not mark the surface touched.
void MixSpan(HDC dc, LONG y, LONG x0, LONG x1, Pixel color, int rop2);

// Where a styled pen is in its dash pattern, carried from one line of a
// polyline to the next.
struct PenCursor {
    int step = 0;
};

// A line in the selected pen from a to b. A one-pixel pen leaves out b
// unless `includeEnd`; a wide pen draws a round-ended band including both
// ends. Marks the surface touched.
void StrokeLine(HDC dc, POINT a, POINT b, bool includeEnd, PenCursor& cursor);

// The pen's drawing width in pixels, 0 for the null pen.
int PenWidth(const Pen* pen);

} // namespace platform::gdi::detail
