#include "platform/graphics/WebpCodec.h"

#include "platform/graphics/DecodeBudget.h"
#include "platform/graphics/DecodeCost.h"
#include "platform/graphics/ImageSurface.h"
#include "platform/graphics/PictureProblem.h"
#include "platform/graphics/PixelLimits.h"

#include <webp/decode.h>

namespace {
// libwebp gives a status and no words of its own.
void sayStatus(VP8StatusCode status, PictureProblem& problem)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY:
        problem.noMemory();
        return;
    case VP8_STATUS_NOT_ENOUGH_DATA:
    case VP8_STATUS_SUSPENDED:
        problem.undecodable("the WebP data ends early");
        return;
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        problem.undecodable("it uses a WebP feature the decoder does not support");
        return;
    default:
        problem.undecodable("the WebP data is damaged");
        return;
    }
}

// The features read from the header into config, checked against PixelLimits.
bool readFeatures(std::string_view bytes, WebPDecoderConfig& config, PictureProblem& problem)
{
    if (!WebpCodec::hasSignature(bytes)) {
        problem.notAPicture();
        return false;
    }
    if (!WebPInitDecoderConfig(&config)) {
        problem.undecodable("the WebP decoder is of another version");
        return false;
    }
    const VP8StatusCode status
        = WebPGetFeatures(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), &config.input);
    if (status != VP8_STATUS_OK) {
        sayStatus(status, problem);
        return false;
    }
    if (!PixelLimits::allows(config.input.width, config.input.height)) {
        problem.tooManyPixels(config.input.width, config.input.height);
        return false;
    }
    if (config.input.has_animation) {
        problem.undecodable("it is an animated WebP picture, and only still ones are decoded");
        return false;
    }
    return true;
}
} // namespace

namespace WebpCodec {

bool hasSignature(std::string_view bytes)
{
    return bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WEBP";
}

std::optional<PictureHeader> probe(std::string_view bytes, PictureProblem& problem)
{
    WebPDecoderConfig config;
    if (!readFeatures(bytes, config, problem))
        return std::nullopt;
    return PictureHeader {config.input.width, config.input.height};
}

UIImagePtr decode(std::string_view bytes, double scale)
{
    PictureProblem unsaid;
    return decode(bytes, scale, unsaid);
}

UIImagePtr decode(std::string_view bytes, double scale, PictureProblem& problem)
{
    WebPDecoderConfig config;
    if (!readFeatures(bytes, config, problem))
        return nullptr;
    // A picture that says it is neither lossy nor lossless is counted as the costlier.
    const bool lossless = config.input.format != 1;
    const auto charge = DecodeBudget::shared().take(
        DecodeCost::webp(config.input.width, config.input.height, lossless, config.input.has_alpha), problem);
    if (!charge)
        return nullptr;
    cairo_surface_t* surface = ImageSurface::createForDecoding(config.input.width, config.input.height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        problem.noMemory();
        return nullptr;
    }
    // Premultiplied, in the byte order of a native ARGB word, written straight into the surface.
    config.output.colorspace = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? MODE_bgrA : MODE_Argb;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = cairo_image_surface_get_data(surface);
    config.output.u.RGBA.stride = cairo_image_surface_get_stride(surface);
    config.output.u.RGBA.size = static_cast<std::size_t>(config.output.u.RGBA.stride)
        * static_cast<std::size_t>(config.input.height);
    const VP8StatusCode status
        = WebPDecode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) {
        cairo_surface_destroy(surface);
        sayStatus(status, problem);
        return nullptr;
    }
    cairo_surface_mark_dirty(surface);
    const auto alpha = config.input.has_alpha ? CGImageAlphaInfo::PremultipliedFirst : CGImageAlphaInfo::NoneSkipFirst;
    return UIImage::imageWithSurface(surface, scale, UIImageOrientation::Up, alpha);
}

} // namespace WebpCodec
