#include "platform/graphics/ImageSurface.h"

#include <cstdlib>

namespace ImageSurface {

cairo_surface_t* createForDecoding(int width, int height)
{
    static const cairo_user_data_key_t pixelsKey {};
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    void* pixels = stride > 0 && height > 0 ? std::malloc(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height)) : nullptr;
    if (!pixels)
        return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height); // carries the error
    cairo_surface_t* surface = cairo_image_surface_create_for_data(static_cast<unsigned char*>(pixels),
                                                                   CAIRO_FORMAT_ARGB32, width, height, stride);
    if (cairo_surface_set_user_data(surface, &pixelsKey, pixels, std::free) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        std::free(pixels);
        return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, -1, -1);
    }
    return surface;
}

} // namespace ImageSurface
