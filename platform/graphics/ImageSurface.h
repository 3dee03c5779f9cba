#pragma once

#include <cairo.h>

#include <cstddef>

// ARGB32 surfaces for pictures. Pixel buffers of LargeBytes or more are mapped from the system
// and, beyond a few megabytes kept for the next pictures of the same size, unmapped when the
// surface goes: the allocator would keep every freed multi-megabyte block (its threshold for
// mapping rises with each large free), so a shift of pictures would leave the process at the
// most it ever held. Check a surface's status like any other's.
namespace ImageSurface {
inline constexpr std::size_t LargeBytes = 256 * 1024;

// Pixels left as they are in memory, for a writer that fills every row (a decoder, a copy):
// zeroing a small buffer would cost a pass over the whole picture.
cairo_surface_t* createForDecoding(int width, int height);
// Every pixel transparent black.
cairo_surface_t* create(int width, int height);
} // namespace ImageSurface
