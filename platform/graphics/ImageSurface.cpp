#include "platform/graphics/ImageSurface.h"

#include <cstdlib>

#include <sys/mman.h>

namespace ImageSurface {
namespace {

struct Pixels {
    void* data = nullptr;
    std::size_t bytes = 0;
    bool mapped = false;
};

void release(void* closure)
{
    auto* pixels = static_cast<Pixels*>(closure);
    if (pixels->mapped)
        ::munmap(pixels->data, pixels->bytes);
    else
        std::free(pixels->data);
    delete pixels;
}

// Mapped pages come zeroed; small buffers are cleared only when asked.
Pixels* allocate(std::size_t bytes, bool cleared)
{
    auto* pixels = new Pixels {nullptr, bytes, bytes >= LargeBytes};
    if (pixels->mapped) {
        void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        pixels->data = data == MAP_FAILED ? nullptr : data;
    } else {
        pixels->data = cleared ? std::calloc(1, bytes) : std::malloc(bytes);
    }
    if (!pixels->data) {
        delete pixels;
        return nullptr;
    }
    return pixels;
}

cairo_surface_t* createWith(int width, int height, bool cleared)
{
    static const cairo_user_data_key_t pixelsKey {};
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    Pixels* pixels = stride > 0 && height > 0
        ? allocate(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), cleared)
        : nullptr;
    if (!pixels)
        return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height); // carries the error
    cairo_surface_t* surface = cairo_image_surface_create_for_data(static_cast<unsigned char*>(pixels->data),
                                                                   CAIRO_FORMAT_ARGB32, width, height, stride);
    if (cairo_surface_set_user_data(surface, &pixelsKey, pixels, release) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        release(pixels);
        return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, -1, -1);
    }
    return surface;
}

} // namespace

cairo_surface_t* createForDecoding(int width, int height)
{
    return createWith(width, height, false);
}

cairo_surface_t* create(int width, int height)
{
    return createWith(width, height, true);
}

} // namespace ImageSurface
