#pragma once

#include "platform/graphics/PixelLimits.h"
#include "platform/graphics/UIImage.h"

#include <cairo.h>

#include <cstdint>

// A picture of w × h pixels at scale 1 whose every pixel, premultiplied ARGB (alpha in the top
// byte), comes from pixel(x, y). Null when the size is refused.
template <class PixelAt>
UIImagePtr pictureFromPixels(int w, int h, PixelAt pixel)
{
    if (!PixelLimits::allows(w, h))
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x)
            row[x] = pixel(x, y);
    }
    cairo_surface_mark_dirty(surface);
    return UIImage::imageWithSurface(surface, 1);
}
