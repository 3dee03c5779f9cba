#include "platform/capture/LuminanceImage.h"

#include "platform/capture/PixelPicture.h"

#include <algorithm>
#include <cmath>

namespace {
// The pixel rectangle of crop within a picture of w × h, or an empty one.
void pixelBounds(const CGRect* crop, int w, int h, int& x0, int& y0, int& x1, int& y1)
{
    x0 = 0, y0 = 0, x1 = w, y1 = h;
    if (!crop)
        return;
    const auto clampTo = [](double v, int hi) {
        if (!std::isfinite(v))
            return 0;
        return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(hi)));
    };
    x0 = clampTo(std::floor(crop->origin.x), w);
    y0 = clampTo(std::floor(crop->origin.y), h);
    x1 = clampTo(std::ceil(crop->origin.x + crop->size.width), w);
    y1 = clampTo(std::ceil(crop->origin.y + crop->size.height), h);
}
} // namespace

LuminanceImage LuminanceImage::fromImage(const UIImage& image, const CGRect* crop)
{
    LuminanceImage result;
    cairo_surface_t* surface = image.surface();
    if (!surface)
        return result;
    cairo_surface_flush(surface);
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    int x0, y0, x1, y1;
    pixelBounds(crop, w, h, x0, y0, x1, y1);
    if (x1 <= x0 || y1 <= y0)
        return result;
    result.m_width = x1 - x0;
    result.m_height = y1 - y0;
    result.m_pixels.resize(static_cast<std::size_t>(result.m_width) * result.m_height);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::uint8_t* out = result.m_pixels.data();
    for (int y = y0; y < y1; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = x0; x < x1; ++x) {
            // Premultiplied: over white each channel gains what the alpha leaves uncovered.
            const std::uint32_t p = row[x];
            const unsigned uncovered = 255 - (p >> 24);
            *out++ = ZXing::RGBToLum(((p >> 16) & 0xFF) + uncovered, ((p >> 8) & 0xFF) + uncovered,
                                     (p & 0xFF) + uncovered);
        }
    }
    return result;
}

ZXing::ImageView LuminanceImage::view() const
{
    return {m_pixels.data(), m_width, m_height, ZXing::ImageFormat::Lum};
}

void LuminanceImage::invert()
{
    for (auto& pixel : m_pixels)
        pixel = static_cast<std::uint8_t>(255 - pixel);
}

UIImagePtr LuminanceImage::toImage() const
{
    if (empty())
        return nullptr;
    return pictureFromPixels(m_width, m_height, [this](int x, int y) {
        const std::uint32_t v = m_pixels[static_cast<std::size_t>(y) * m_width + x];
        return 0xFF000000u | v << 16 | v << 8 | v;
    });
}
