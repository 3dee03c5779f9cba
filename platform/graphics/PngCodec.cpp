#include "platform/graphics/PngCodec.h"

#include "platform/graphics/ImageSurface.h"
#include "platform/graphics/PixelLimits.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <png.h>

namespace {

struct Reader {
    std::string_view bytes;
    std::size_t offset = 0;
};

void readBytes(png_structp png, png_bytep out, png_size_t length)
{
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (reader->bytes.size() - reader->offset < length)
        png_error(png, "picture data ends early");
    std::memcpy(out, reader->bytes.data() + reader->offset, length);
    reader->offset += length;
}

void quiet(png_structp, png_const_charp) {}

[[noreturn]] void fail(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Two colour channels at a time (red and blue, then green), each times alpha over 255.
void premultiplyRow(png_bytep row, png_uint_32 width)
{
    auto* pixel = reinterpret_cast<std::uint32_t*>(row);
    for (png_uint_32 x = 0; x < width; ++x) {
        const std::uint32_t p = pixel[x];
        const std::uint32_t a = p >> 24;
        std::uint32_t rb = (p & 0x00FF00FFu) * a + 0x00800080u;
        rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
        std::uint32_t g = (p & 0x0000FF00u) * a + 0x00008000u;
        g = ((g + ((g >> 8) & 0x0000FF00u)) >> 8) & 0x0000FF00u;
        pixel[x] = (a << 24) | rb | g;
    }
}

// Every PNG layout becomes 8-bit BGRA in memory (ARGB as 32-bit words).
bool setUpTransforms(png_structp png, png_infop info)
{
    const png_byte colour = png_get_color_type(png, info);
    bool alpha = (colour & PNG_COLOR_MASK_ALPHA) != 0;
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
        alpha = true;
    }
    png_set_expand(png);
    png_set_strip_16(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if constexpr (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__)
        png_set_bgr(png);
    else
        png_set_swap_alpha(png);
    png_set_filler(png, 0xFF, __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? PNG_FILLER_AFTER : PNG_FILLER_BEFORE);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return alpha;
}

struct Decoded {
    cairo_surface_t* surface = nullptr;
    bool alpha = false;
};

bool decodeInto(std::string_view bytes, Decoded& out)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, quiet);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    cairo_surface_t* volatile surface = nullptr;
    png_bytep* volatile rows = nullptr;
    Reader reader {bytes, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        if (surface)
            cairo_surface_destroy(surface);
        std::free(rows);
        return false;
    }
    if (!info)
        png_error(png, "no memory");
    png_set_read_fn(png, &reader, readBytes);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (!PixelLimits::allows(width, height))
        png_error(png, "picture too large");
    out.alpha = setUpTransforms(png, info);
    surface = ImageSurface::createForDecoding(static_cast<int>(width), static_cast<int>(height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        png_error(png, "no memory");
    unsigned char* data = cairo_image_surface_get_data(surface);
    const std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!rows)
        png_error(png, "no memory");
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = data + stride * y;
    // Rows of a picture without interlacing are premultiplied as they come, while in cache.
    if (png_get_interlace_type(png, info) == PNG_INTERLACE_NONE) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, rows[y], nullptr);
            if (out.alpha)
                premultiplyRow(rows[y], width);
        }
    } else {
        png_read_image(png, rows);
        for (png_uint_32 y = 0; out.alpha && y < height; ++y)
            premultiplyRow(rows[y], width);
    }
    png_read_end(png, nullptr);
    std::free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    cairo_surface_mark_dirty(surface);
    out.surface = surface;
    return true;
}

} // namespace

namespace PngCodec {

bool hasSignature(std::string_view bytes)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= 8 && std::memcmp(bytes.data(), signature, 8) == 0;
}

UIImagePtr decode(std::string_view bytes, double scale)
{
    Decoded decoded;
    if (!hasSignature(bytes) || !decodeInto(bytes, decoded))
        return nullptr;
    return UIImage::imageWithSurface(decoded.surface, scale, UIImageOrientation::Up,
                                     decoded.alpha ? CGImageAlphaInfo::PremultipliedFirst
                                                   : CGImageAlphaInfo::NoneSkipFirst);
}

} // namespace PngCodec
