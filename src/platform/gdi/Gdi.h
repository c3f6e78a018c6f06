#pragma once

// The drawing layer in one include: geometry and handle types, surfaces and
// window contexts, device contexts, objects, lines and raster operations,
// device-independent bitmaps and palettes, fonts and text.

#include "platform/gdi/Dc.h"
#include "platform/gdi/Dib.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/Surface.h"
#include "platform/gdi/Text.h"
