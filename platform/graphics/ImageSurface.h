#pragma once

#include <cairo.h>

namespace ImageSurface {
// An ARGB32 surface whose pixels are left as they are in memory, for a decoder that writes
// every row: the zeroing a fresh surface gets would cost a pass over the whole picture.
// Check its status like any surface's.
cairo_surface_t* createForDecoding(int width, int height);
} // namespace ImageSurface
