#include "platform/graphics/WebpCodec.h"

#include "platform/graphics/ImageSurface.h"
#include "platform/graphics/PixelLimits.h"

#include <webp/decode.h>

namespace WebpCodec {

bool hasSignature(std::string_view bytes)
{
    return bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WEBP";
}

UIImagePtr decode(std::string_view bytes, double scale)
{
    if (!hasSignature(bytes))
        return nullptr;
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return nullptr;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (WebPGetFeatures(data, bytes.size(), &config.input) != VP8_STATUS_OK
        || !PixelLimits::allows(config.input.width, config.input.height))
        return nullptr;
    cairo_surface_t* surface = ImageSurface::createForDecoding(config.input.width, config.input.height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    // Premultiplied, in the byte order of a native ARGB word, written straight into the surface.
    config.output.colorspace = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? MODE_bgrA : MODE_Argb;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = cairo_image_surface_get_data(surface);
    config.output.u.RGBA.stride = cairo_image_surface_get_stride(surface);
    config.output.u.RGBA.size = static_cast<std::size_t>(config.output.u.RGBA.stride)
        * static_cast<std::size_t>(config.input.height);
    const bool ok = WebPDecode(data, bytes.size(), &config) == VP8_STATUS_OK;
    WebPFreeDecBuffer(&config.output);
    if (!ok) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_mark_dirty(surface);
    const auto alpha = config.input.has_alpha ? CGImageAlphaInfo::PremultipliedFirst : CGImageAlphaInfo::NoneSkipFirst;
    return UIImage::imageWithSurface(surface, scale, UIImageOrientation::Up, alpha);
}

} // namespace WebpCodec
