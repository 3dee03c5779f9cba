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
// One row of premultiplied ARGB (bytes B, G, R, A in memory) to brightness over white, in 16-bit
// steps: each frame passes through here, so it must cost little beside the reading itself. A
// premultiplied channel never exceeds its alpha, so a channel plus what the alpha leaves
// uncovered stays within a byte.
void lumaRow(const unsigned char* in, int count, std::uint8_t* out)
{
    for (int x = 0; x < count; ++x) {
        const std::uint16_t uncovered = static_cast<std::uint16_t>(255 - in[4 * x + 3]);
        const std::uint16_t b = in[4 * x] + uncovered, g = in[4 * x + 1] + uncovered, r = in[4 * x + 2] + uncovered;
        out[x] = static_cast<std::uint8_t>((77 * r + 150 * g + 29 * b + 128) >> 8);
    }
}
} // namespace

LuminanceImage LuminanceImage::fromImage(const UIImage& image, const CGRect* crop)
{
    LuminanceImage result;
    cairo_surface_t* surface = image.surface();
    if (!surface)
        return result;
    // Pictures are flushed when made and never drawn into again, so their pixels are read as
    // they are, from any thread, without touching the surface's state.
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
    for (int y = y0; y < y1; ++y)
        lumaRow(data + static_cast<std::ptrdiff_t>(y) * stride + x0 * 4, x1 - x0,
                result.m_pixels.data() + static_cast<std::size_t>(y - y0) * result.m_width);
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
