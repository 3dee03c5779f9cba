#include "platform/graphics/PngCodec.h"

#include "platform/graphics/DecodeBudget.h"
#include "platform/graphics/DecodeCost.h"
#include "platform/graphics/ImageSurface.h"
#include "platform/graphics/PictureProblem.h"
#include "platform/graphics/PixelLimits.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

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

// The library's words for what went wrong go to the problem a decode was given (the encoder gives
// none); its allocator says "Out of memory" when it gets none.
[[noreturn]] void fail(png_structp png, png_const_charp message)
{
    if (auto* problem = static_cast<PictureProblem*>(png_get_error_ptr(png))) {
        if (std::strcmp(message, "Out of memory") == 0)
            problem->noMemory();
        else
            problem->undecodable(message);
    }
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
    PictureHeader header;
    cairo_surface_t* surface = nullptr;
    bool alpha = false;
};

// Rows of a picture without interlacing are premultiplied as they come, while in cache.
void readRows(png_structp png, png_infop info, png_bytep* rows, bool alpha)
{
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (png_get_interlace_type(png, info) == PNG_INTERLACE_NONE) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, rows[y], nullptr);
            if (alpha)
                premultiplyRow(rows[y], width);
        }
    } else {
        png_read_image(png, rows);
        for (png_uint_32 y = 0; alpha && y < height; ++y)
            premultiplyRow(rows[y], width);
    }
}

[[noreturn]] void failForMemory(png_structp png, PictureProblem& problem)
{
    problem.noMemory();
    png_error(png, "Out of memory");
}

// The header alone when headerOnly, else the pixels too.
bool decodeInto(std::string_view bytes, Decoded& out, bool headerOnly, PictureProblem& problem)
{
    if (!PngCodec::hasSignature(bytes)) {
        problem.notAPicture();
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &problem, fail, quiet);
    if (!png) {
        problem.noMemory();
        return false;
    }
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
        failForMemory(png, problem);
    png_set_read_fn(png, &reader, readBytes);
    // Only the chunks that make the pixels (the header, palette, transparency and data) are read.
    // The library would give every other chunk the memory its length claims, and unpack text and
    // profiles in full, before finding the file holds far less or keeping them all: a few bytes
    // could take gigabytes.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    out.header = {width, height};
    if (!PixelLimits::allows(width, height)) {
        problem.tooManyPixels(width, height);
        png_error(png, "picture too large");
    }
    if (headerOnly) {
        png_destroy_read_struct(&png, &info, nullptr);
        return true;
    }
    out.alpha = setUpTransforms(png, info);
    surface = ImageSurface::createForDecoding(static_cast<int>(width), static_cast<int>(height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        failForMemory(png, problem);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!rows)
        failForMemory(png, problem);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = data + stride * y;
    readRows(png, info, rows, out.alpha);
    png_read_end(png, nullptr);
    std::free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    cairo_surface_mark_dirty(surface);
    out.surface = surface;
    return true;
}

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void noFlush(png_structp) {}

std::uint32_t pixelAt(const unsigned char* row, int x)
{
    std::uint32_t argb;
    std::memcpy(&argb, row + static_cast<std::ptrdiff_t>(x) * 4, 4);
    return argb;
}

bool everyPixelOpaque(const unsigned char* data, int width, int height, int stride)
{
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = data + static_cast<std::ptrdiff_t>(y) * stride;
        std::uint32_t all = 0xFF000000u;
        for (int x = 0; x < width; ++x)
            all &= pixelAt(row, x);
        if (all != 0xFF000000u)
            return false;
    }
    return true;
}

void rgbRow(const unsigned char* row, int width, png_bytep out)
{
    for (int x = 0; x < width; ++x, out += 3) {
        const std::uint32_t p = pixelAt(row, x);
        out[0] = static_cast<png_byte>(p >> 16);
        out[1] = static_cast<png_byte>(p >> 8);
        out[2] = static_cast<png_byte>(p);
    }
}

// Rounded as the drawing library's own writer does it, so a picture reads back the same
// whichever of the two wrote it.
void unpremultipliedRow(const unsigned char* row, int width, png_bytep out)
{
    for (int x = 0; x < width; ++x, out += 4) {
        const std::uint32_t p = pixelAt(row, x), a = p >> 24;
        if (a == 0) {
            std::memset(out, 0, 4);
            continue;
        }
        for (int c = 0; c < 3; ++c)
            out[c] = static_cast<png_byte>((((p >> (16 - 8 * c)) & 0xFFu) * 255 + a / 2) / a);
        out[3] = static_cast<png_byte>(a);
    }
}

// Level 4 without row filters: the fastest setting whose files stay near the size of the
// library's defaults on screens of text and flat colour (the faster levels double the size of
// a nearly uniform screen).
void setUpWriting(png_structp png, png_infop info, int width, int height, bool opaque)
{
    png_set_compression_level(png, 4);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_color_16 white {0, 255, 255, 255, 255};
    png_set_bKGD(png, info, &white);
    png_write_info(png, info);
}

} // namespace

namespace PngCodec {

bool hasSignature(std::string_view bytes)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= 8 && std::memcmp(bytes.data(), signature, 8) == 0;
}

std::optional<PictureHeader> probe(std::string_view bytes, PictureProblem& problem)
{
    Decoded decoded;
    return decodeInto(bytes, decoded, true, problem) ? std::optional(decoded.header) : std::nullopt;
}

UIImagePtr decode(std::string_view bytes, double scale)
{
    PictureProblem unsaid;
    return decode(bytes, scale, unsaid);
}

UIImagePtr decode(std::string_view bytes, double scale, PictureProblem& problem)
{
    const auto header = probe(bytes, problem);
    const auto charge = header ? DecodeBudget::shared().take(DecodeCost::png(header->width, header->height), problem)
                               : std::nullopt;
    Decoded decoded;
    if (!charge || !decodeInto(bytes, decoded, false, problem))
        return nullptr;
    return UIImage::imageWithSurface(decoded.surface, scale, UIImageOrientation::Up,
                                     decoded.alpha ? CGImageAlphaInfo::PremultipliedFirst
                                                   : CGImageAlphaInfo::NoneSkipFirst);
}

} // namespace PngCodec

std::optional<std::string> PngCodec::encode(cairo_surface_t* surface)
{
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS
        || cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32)
        return std::nullopt;
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    if (!data || width <= 0 || height <= 0)
        return std::nullopt;
    const bool opaque = everyPixelOpaque(data, width, height, stride);
    std::string out;
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 4);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, quiet);
    if (!png)
        return std::nullopt;
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return std::nullopt;
    }
    if (!info)
        png_error(png, "no memory");
    png_set_write_fn(png, &out, appendBytes, noFlush);
    setUpWriting(png, info, width, height, opaque);
    for (int y = 0; y < height; ++y) {
        const unsigned char* source = data + static_cast<std::ptrdiff_t>(y) * stride;
        if (opaque)
            rgbRow(source, width, row.data());
        else
            unpremultipliedRow(source, width, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}
