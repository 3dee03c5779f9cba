#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIImageOrientation.h"

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the decoded bitmap says about transparency (the platform's numbering).
enum class CGImageAlphaInfo : int {
    None = 0,
    PremultipliedLast = 1,
    PremultipliedFirst = 2,
    Last = 3,
    First = 4,
    NoneSkipLast = 5,
    NoneSkipFirst = 6,
    Only = 7,
};

// A picture: premultiplied ARGB pixels on an image surface, with a scale (pixels per point) and
// an orientation (honoured when drawn and in size()). An animated picture also holds its frames
// and their total duration; its own pixels are those of the first frame.
// Immutable once made, so it may be shared across threads.
class PictureProblem;

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

    // Null when the file cannot be read or is not a picture we decode (JPEG, PNG, GIF, WebP), is
    // cut short, or is too large (a file over PixelLimits::MaxFileBytes is not read). A JPEG takes
    // the orientation of its EXIF data; a GIF of more than one frame is animated.
    static std::shared_ptr<UIImage> imageWithContentsOfFile(const std::filesystem::path& path);
    static std::shared_ptr<UIImage> imageWithData(std::string_view bytes, double scale = 1);
    // The same, with why there is none in problem.
    static std::shared_ptr<UIImage> imageWithData(std::string_view bytes, double scale, PictureProblem& problem);
    // The rows of a picture still arriving: the picture's full size, with what has arrived so
    // far at the top (the rest transparent). Null until the header and some rows are in.
    static std::shared_ptr<UIImage> imageWithPartialData(std::string_view bytes);
    // Adopts an ARGB32 surface (taking over the caller's reference). Null for a failed surface.
    static std::shared_ptr<UIImage> imageWithSurface(cairo_surface_t* surface, double scale,
                                                     UIImageOrientation orientation = UIImageOrientation::Up,
                                                     CGImageAlphaInfo alphaInfo = CGImageAlphaInfo::PremultipliedFirst);
    // Frames must be non-empty; the picture takes the first frame's pixels and scale.
    static std::shared_ptr<UIImage> animatedImageWithImages(std::vector<std::shared_ptr<UIImage>> frames,
                                                            double duration);
    static std::shared_ptr<UIImage> placeholder(const std::string& name, CGSize size);

    // The same pixels (and frames) with another scale and orientation.
    std::shared_ptr<UIImage> imageWithScale(double scale, UIImageOrientation orientation) const;
    // The picture drawn as it is shown, into pixels with orientation up; itself when already up.
    std::shared_ptr<UIImage> uprightImage() const;

    // Size in points as shown: pixels divided by the scale, sides swapped for a quarter turn.
    CGSize size() const;
    double scale() const { return m_scale; }
    UIImageOrientation orientation() const { return m_orientation; }
    CGImageAlphaInfo alphaInfo() const { return m_alphaInfo; }
    // The frames of an animated picture (empty for a still one) and their total duration.
    const std::vector<std::shared_ptr<UIImage>>& images() const { return m_images; }
    double duration() const { return m_duration; }
    int pixelWidth() const;
    int pixelHeight() const;
    // Memory the picture holds: its pixels and a fixed cost (PixelLimits::FrameOverheadBytes) for
    // each frame, every frame's included.
    std::size_t memoryBytes() const;
    const std::string& name() const { return m_name; }
    bool isPlaceholder() const { return m_placeholder; }
    cairo_surface_t* surface() const { return m_surface.get(); }

    // Unpremultiplied colour of one pixel; transparent black outside the picture.
    Pixel pixelAt(int x, int y) const;

    // The same size, scale and pixels: far cheaper than comparing the pictures encoded.
    bool hasSamePixels(const UIImage& other) const;
    // The stored pixels as PNG bytes, or nothing if encoding failed.
    std::optional<std::string> pngData() const;
    // The stored pixels as JPEG bytes (quality 0 to 1), or nothing if encoding failed.
    std::optional<std::string> jpegData(double quality) const;
    bool writePNG(const std::filesystem::path& path) const;

    // Into the current graphics context, upright, scaled to fill rect.
    void drawInRect(const CGRect& rect) const;
    void drawAtPoint(const CGPoint& point) const;
    // Which picture this is, never given to another in the process's life (a copy gets its own).
    // A freed picture's address is soon handed to the next one, so an address is no identity.
    std::uint64_t identity() const { return m_identity.value; }

private:
    struct Identity {
        std::uint64_t value = next();
        Identity() = default;
        Identity(const Identity&) : value(next()) {}
        Identity& operator=(const Identity&) { value = next(); return *this; }
        static std::uint64_t next();
    };
    Identity m_identity;
    UIImage(std::shared_ptr<cairo_surface_t> surface, double scale, std::string name, bool placeholder);
    std::shared_ptr<cairo_surface_t> m_surface;
    double m_scale;
    std::string m_name;
    bool m_placeholder;
    UIImageOrientation m_orientation = UIImageOrientation::Up;
    CGImageAlphaInfo m_alphaInfo = CGImageAlphaInfo::PremultipliedFirst;
    std::vector<std::shared_ptr<UIImage>> m_images;
    double m_duration = 0;
};

using UIImagePtr = std::shared_ptr<UIImage>;
