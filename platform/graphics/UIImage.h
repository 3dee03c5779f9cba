#pragma once

#include "platform/graphics/CGGeometry.h"

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A picture: premultiplied ARGB pixels on an image surface, with a scale (pixels per point).
// Immutable once made, so it may be shared across threads.
class UIImage {
public:
    struct Pixel {
        std::uint8_t red = 0, green = 0, blue = 0, alpha = 0;
    };

    // The bundled picture resources/images/<name> (".png" is tried after the name as given, and a
    // "@2x" file is preferred at scale 2). Never null: a missing or unreadable picture gives a
    // placeholder that keeps the name, so a screen still shows where the picture belongs.
    // Pictures are cached by name, as the platform does.
    static std::shared_ptr<UIImage> imageNamed(const std::string& name);
    static void clearNamedCache();

    // Null when the file cannot be read or is not a picture we decode, or is too large.
    static std::shared_ptr<UIImage> imageWithContentsOfFile(const std::filesystem::path& path);
    static std::shared_ptr<UIImage> imageWithData(std::string_view bytes, double scale = 1);
    // Adopts an ARGB32 surface (taking over the caller's reference). Null for a failed surface.
    static std::shared_ptr<UIImage> imageWithSurface(cairo_surface_t* surface, double scale);
    static std::shared_ptr<UIImage> placeholder(const std::string& name, CGSize size);

    // Size in points: pixels divided by the scale.
    CGSize size() const;
    double scale() const { return m_scale; }
    int pixelWidth() const;
    int pixelHeight() const;
    const std::string& name() const { return m_name; }
    bool isPlaceholder() const { return m_placeholder; }
    cairo_surface_t* surface() const { return m_surface.get(); }

    // Unpremultiplied colour of one pixel; transparent black outside the picture.
    Pixel pixelAt(int x, int y) const;

    // The same size, scale and pixels: far cheaper than comparing the pictures encoded.
    bool hasSamePixels(const UIImage& other) const;
    // The picture as PNG bytes, or nothing if encoding failed.
    std::optional<std::string> pngData() const;
    bool writePNG(const std::filesystem::path& path) const;

    // Into the current graphics context, upright, scaled to fill rect.
    void drawInRect(const CGRect& rect) const;
    void drawAtPoint(const CGPoint& point) const;

private:
    UIImage(std::shared_ptr<cairo_surface_t> surface, double scale, std::string name, bool placeholder);
    std::shared_ptr<cairo_surface_t> m_surface;
    double m_scale;
    std::string m_name;
    bool m_placeholder;
};

using UIImagePtr = std::shared_ptr<UIImage>;
