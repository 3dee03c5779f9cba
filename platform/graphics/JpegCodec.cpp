#include "platform/graphics/JpegCodec.h"

#include "platform/graphics/DecodeBudget.h"
#include "platform/graphics/DecodeCost.h"
#include "platform/graphics/ExifOrientation.h"
#include "platform/graphics/ImageSurface.h"
#include "platform/graphics/PictureProblem.h"
#include "platform/graphics/PixelLimits.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through longjmp; nothing with a destructor lives in the frames
// it jumps over (the surface and rows are plain C resources released by hand). A decode hands in
// the problem that takes the library's words for the error; the encoder has none.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    PictureProblem* problem = nullptr;
    bool sawEnd = false;
    JDIMENSION rowsBeforeEnd = 0;
};

void say(j_common_ptr cinfo, PictureProblem& problem)
{
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    problem.undecodable(text);
}

void onError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (err->problem && err->base.msg_code == JERR_OUT_OF_MEMORY)
        err->problem->noMemory();
    else if (err->problem)
        say(cinfo, *err->problem);
    std::longjmp(err->jump, 1);
}

// Our own failures, said before the jump.
[[noreturn]] void failWith(jpeg_decompress_struct& cinfo, PictureProblem& problem, bool forMemory)
{
    if (forMemory)
        problem.noMemory();
    else
        problem.undecodable("the rows cannot be read");
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo.err)->jump, 1);
}

void onMessage(j_common_ptr cinfo, int level)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    // The data ran out: libjpeg pads with an end marker and goes on with grey rows. Its words for
    // that are the reason, should the caller refuse a picture cut short.
    if (level < 0 && err->base.msg_code == JWRN_JPEG_EOF && !err->sawEnd) {
        err->sawEnd = true;
        err->rowsBeforeEnd = reinterpret_cast<j_decompress_ptr>(cinfo)->output_scanline;
        if (err->problem)
            say(cinfo, *err->problem);
    }
}

// Called before each step of reading the scans in; refuses the picture once its scans outnumber
// JpegCodec::MaxScans.
void countScans(j_common_ptr cinfo)
{
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= JpegCodec::MaxScans)
        return;
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (err->problem)
        err->problem->undecodable("it has more than " + std::to_string(JpegCodec::MaxScans) + " scans");
    std::longjmp(err->jump, 1);
}

constexpr J_COLOR_SPACE argbSpace()
{
    return __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? JCS_EXT_BGRA : JCS_EXT_ARGB;
}

inline std::uint32_t packRgb(unsigned r, unsigned g, unsigned b)
{
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// CMYK rows into opaque ARGB. Adobe's files store the inks inverted (255 is no ink).
void cmykRowToArgb(const unsigned char* in, std::uint32_t* out, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, in += 4) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        out[x] = packRgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
    }
}

struct Decoded {
    PictureHeader header;
    std::size_t coefficientBytes = 0; // every coefficient, held when the scans are many
    cairo_surface_t* surface = nullptr;
    bool sawEnd = false;
    bool progressive = false;
    JDIMENSION rowsBeforeEnd = 0;
};

// What a decode is after: the header, a whole picture (refused once its data is found to end early),
// or whatever rows the data received makes.
enum class Wanted { Header, Whole, Received };

bool dataEnded(const jpeg_decompress_struct& cinfo)
{
    return reinterpret_cast<const ErrorManager*>(cinfo.err)->sawEnd;
}

// False when a row cannot be read, or for a whole picture once its data has ended early.
bool readRows(jpeg_decompress_struct& cinfo, cairo_surface_t* surface, unsigned char* cmykRow, Wanted wanted)
{
    unsigned char* data = cairo_image_surface_get_data(surface);
    const std::ptrdiff_t stride = cairo_image_surface_get_stride(surface);
    const bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        unsigned char* row = data + stride * static_cast<std::ptrdiff_t>(cinfo.output_scanline);
        JSAMPROW target = cmykRow ? cmykRow : row;
        if (jpeg_read_scanlines(&cinfo, &target, 1) != 1 || (wanted == Wanted::Whole && dataEnded(cinfo)))
            return false;
        if (cmykRow)
            cmykRowToArgb(cmykRow, reinterpret_cast<std::uint32_t*>(row), cinfo.output_width, inverted);
    }
    return true;
}

// What a picture of several scans holds of coefficients: every block of every component, as many
// rows and columns of them as its sampling rounds up to. Nothing for one of a single scan, which is
// decoded a row of blocks at a time.
std::size_t coefficientBytes(const jpeg_decompress_struct& cinfo)
{
    if (!jpeg_has_multiple_scans(const_cast<j_decompress_ptr>(&cinfo)))
        return 0;
    std::size_t bytes = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info& component = cinfo.comp_info[i];
        const auto roundUp = [](std::size_t count, int factor) {
            return (count + static_cast<std::size_t>(factor) - 1) / static_cast<std::size_t>(factor) * static_cast<std::size_t>(factor);
        };
        bytes += roundUp(component.width_in_blocks, component.h_samp_factor)
            * roundUp(component.height_in_blocks, component.v_samp_factor) * sizeof(JBLOCK);
    }
    return bytes;
}

// The header alone, or the pixels too. Returns false, with why in problem, on a fatal error, and for
// a whole picture as soon as a row is read past the end of its data, rather than making every row
// of a picture that is refused. out holds the surface on success (the caller owns it).
bool decodeInto(std::string_view bytes, Decoded& out, Wanted wanted, PictureProblem& problem)
{
    if (!JpegCodec::hasSignature(bytes)) {
        problem.notAPicture();
        return false;
    }
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    err.problem = &problem;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.emit_message = onMessage;
    cairo_surface_t* volatile surface = nullptr;
    unsigned char* volatile cmykRow = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        if (surface)
            cairo_surface_destroy(surface);
        std::free(cmykRow);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_progress_mgr progress {};
    progress.progress_monitor = countScans;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        problem.undecodable("it holds tables but no picture");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    out.header = {cinfo.image_width, cinfo.image_height};
    out.coefficientBytes = coefficientBytes(cinfo);
    const bool allowed = PixelLimits::allows(cinfo.image_width, cinfo.image_height);
    if (!allowed)
        problem.tooManyPixels(cinfo.image_width, cinfo.image_height);
    if (!allowed || wanted == Wanted::Header) {
        jpeg_destroy_decompress(&cinfo);
        return allowed;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : argbSpace();
    out.progressive = jpeg_has_multiple_scans(&cinfo);
    jpeg_start_decompress(&cinfo);
    surface = ImageSurface::createForDecoding(static_cast<int>(cinfo.output_width),
                                         static_cast<int>(cinfo.output_height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        failWith(cinfo, problem, true);
    if (cmyk)
        cmykRow = static_cast<unsigned char*>(std::malloc(std::size_t(cinfo.output_width) * 4));
    if (cmyk && !cmykRow)
        failWith(cinfo, problem, true);
    if (!readRows(cinfo, surface, cmykRow, wanted)) {
        if (!err.sawEnd)
            failWith(cinfo, problem, false);
        std::longjmp(err.jump, 1); // the end already said
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::free(cmykRow);
    cairo_surface_mark_dirty(surface);
    out.surface = surface;
    out.sawEnd = err.sawEnd;
    out.rowsBeforeEnd = err.rowsBeforeEnd;
    return true;
}

// The header read, then the whole decode charged against the decode budget for the most it can hold.
bool decodeCharged(std::string_view bytes, Decoded& out, Wanted wanted, PictureProblem& problem)
{
    if (!decodeInto(bytes, out, Wanted::Header, problem))
        return false;
    const auto charge = DecodeBudget::shared().take(
        DecodeCost::jpeg(out.header.width, out.header.height, out.coefficientBytes), problem);
    return charge && decodeInto(bytes, out, wanted, problem);
}

void clearRowsFrom(cairo_surface_t* surface, int firstRow)
{
    const int height = cairo_image_surface_get_height(surface);
    if (firstRow >= height)
        return;
    cairo_surface_flush(surface);
    const std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    std::memset(cairo_image_surface_get_data(surface) + stride * static_cast<std::size_t>(firstRow), 0,
                stride * static_cast<std::size_t>(height - firstRow));
    cairo_surface_mark_dirty(surface);
}

// The EXIF block comes before the pixels, so a picture still arriving already has its turn.
UIImageOrientation orientationOf(std::string_view bytes)
{
    return ImageOrientation::fromExif(ExifOrientation::readFromJpeg(bytes));
}

struct Destination {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

} // namespace

namespace JpegCodec {

bool hasSignature(std::string_view bytes)
{
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xD8;
}

std::optional<PictureHeader> probe(std::string_view bytes, PictureProblem& problem)
{
    Decoded decoded;
    return decodeInto(bytes, decoded, Wanted::Header, problem) ? std::optional(decoded.header) : std::nullopt;
}

UIImagePtr decode(std::string_view bytes, double scale)
{
    PictureProblem unsaid;
    return decode(bytes, scale, unsaid);
}

UIImagePtr decode(std::string_view bytes, double scale, PictureProblem& problem)
{
    Decoded decoded;
    if (!decodeCharged(bytes, decoded, Wanted::Whole, problem))
        return nullptr;
    if (decoded.sawEnd) { // found past the last row, as the end marker was looked for
        cairo_surface_destroy(decoded.surface);
        return nullptr;
    }
    return UIImage::imageWithSurface(decoded.surface, scale, orientationOf(bytes), CGImageAlphaInfo::NoneSkipFirst);
}

UIImagePtr decodePartial(std::string_view bytes)
{
    Decoded decoded;
    PictureProblem unsaid;
    if (!decodeCharged(bytes, decoded, Wanted::Received, unsaid))
        return nullptr;
    if (decoded.sawEnd && !decoded.progressive) {
        if (decoded.rowsBeforeEnd == 0) {
            cairo_surface_destroy(decoded.surface);
            return nullptr;
        }
        clearRowsFrom(decoded.surface, static_cast<int>(decoded.rowsBeforeEnd));
    }
    const auto alpha = decoded.sawEnd ? CGImageAlphaInfo::PremultipliedFirst : CGImageAlphaInfo::NoneSkipFirst;
    return UIImage::imageWithSurface(decoded.surface, 1, orientationOf(bytes), alpha);
}

std::optional<std::string> encode(const UIImage& image, double quality, bool progressive)
{
    cairo_surface_t* surface = image.surface();
    cairo_surface_flush(surface);
    jpeg_compress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    Destination dest;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(dest.buffer);
        return std::nullopt;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &dest.buffer, &dest.size);
    cinfo.image_width = static_cast<JDIMENSION>(image.pixelWidth());
    cinfo.image_height = static_cast<JDIMENSION>(image.pixelHeight());
    cinfo.input_components = 4;
    cinfo.in_color_space = argbSpace();
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, static_cast<int>(std::clamp(quality, 0.0, 1.0) * 100), TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const std::ptrdiff_t stride = cairo_image_surface_get_stride(surface);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = data + stride * static_cast<std::ptrdiff_t>(cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(dest.buffer), dest.size);
    std::free(dest.buffer);
    return bytes;
}

} // namespace JpegCodec
