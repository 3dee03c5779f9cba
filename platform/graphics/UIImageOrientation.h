#pragma once

#include "platform/graphics/CGGeometry.h"

#include <cairo.h>

// How the stored pixels are turned to be shown upright (the camera may have been held sideways).
enum class UIImageOrientation : int {
    Up = 0,
    Down = 1,
    Left = 2,
    Right = 3,
    UpMirrored = 4,
    DownMirrored = 5,
    LeftMirrored = 6,
    RightMirrored = 7,
};

namespace ImageOrientation {
// The orientation an EXIF orientation value (1 to 8) stands for; any other value is up.
UIImageOrientation fromExif(int value);
// Whether the picture is shown turned a quarter: its shown width is its stored height.
bool swapsSides(UIImageOrientation orientation);
// Sets up cr so that drawing pixels 0..pixelWidth × 0..pixelHeight fills rect, shown upright.
void transformInto(cairo_t* cr, UIImageOrientation orientation, const CGRect& rect, int pixelWidth,
                   int pixelHeight);
} // namespace ImageOrientation
