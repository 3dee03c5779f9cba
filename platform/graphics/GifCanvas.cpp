#include "platform/graphics/GifCanvas.h"

#include "platform/graphics/ImageSurface.h"

#include <algorithm>
#include <cstring>

GifCanvas::GifCanvas(int width, int height)
    : m_width(width)
    , m_height(height)
    , m_surface(ImageSurface::create(width, height))
{
    if (cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(m_surface);
        m_surface = nullptr;
    }
}

GifCanvas::~GifCanvas()
{
    if (m_surface)
        cairo_surface_destroy(m_surface);
}

std::uint32_t* GifCanvas::row(int y) const
{
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(m_surface)
                                            + static_cast<std::size_t>(cairo_image_surface_get_stride(m_surface))
                                                * static_cast<std::size_t>(y));
}

GifCanvas::Rect GifCanvas::clip(const Rect& frame) const
{
    const int x0 = std::clamp(frame.left, 0, m_width), y0 = std::clamp(frame.top, 0, m_height);
    const int x1 = std::clamp(frame.left + frame.width, x0, m_width);
    const int y1 = std::clamp(frame.top + frame.height, y0, m_height);
    return {x0, y0, x1 - x0, y1 - y0};
}

void GifCanvas::drawRow(int y, const Rect& frame, const Rect& area, const GifByteType* indexes,
                        const ColorMapObject& map, int transparent)
{
    const int canvasY = frame.top + y;
    if (area.width <= 0 || canvasY < area.top || canvasY >= area.top + area.height)
        return;
    const GifByteType* in = indexes + (area.left - frame.left);
    std::uint32_t* out = row(canvasY) + area.left;
    for (int x = 0; x < area.width; ++x) {
        const int index = in[x];
        if (index == transparent || index >= map.ColorCount)
            continue;
        const GifColorType& c = map.Colors[index];
        out[x] = 0xFF000000u | (std::uint32_t(c.Red) << 16) | (std::uint32_t(c.Green) << 8) | c.Blue;
    }
}

void GifCanvas::clear(const Rect& area)
{
    for (int y = 0; y < area.height; ++y)
        std::fill_n(row(area.top + y) + area.left, area.width, 0u);
}

std::vector<std::uint32_t> GifCanvas::save(const Rect& area) const
{
    std::vector<std::uint32_t> saved(static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height));
    for (int y = 0; y < area.height; ++y)
        std::copy_n(row(area.top + y) + area.left, area.width, saved.data() + static_cast<std::size_t>(y) * area.width);
    return saved;
}

void GifCanvas::restore(const Rect& area, const std::vector<std::uint32_t>& saved)
{
    for (int y = 0; y < area.height; ++y)
        std::copy_n(saved.data() + static_cast<std::size_t>(y) * area.width, area.width, row(area.top + y) + area.left);
}

UIImagePtr GifCanvas::picture(double scale, bool last)
{
    cairo_surface_t* surface = nullptr;
    if (last) {
        std::swap(surface, m_surface);
    } else {
        surface = ImageSurface::createForDecoding(m_width, m_height);
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface);
            return nullptr;
        }
        const std::size_t bytes = static_cast<std::size_t>(cairo_image_surface_get_stride(surface))
            * static_cast<std::size_t>(m_height);
        std::memcpy(cairo_image_surface_get_data(surface), cairo_image_surface_get_data(m_surface), bytes);
    }
    cairo_surface_mark_dirty(surface);
    return UIImage::imageWithSurface(surface, scale);
}
