#include "platform/graphics/UIImage.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/ImageSurface.h"
#include "platform/graphics/MainScreenScale.h"
#include "platform/graphics/PictureProblem.h"
#include "platform/graphics/PixelLimits.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

namespace fs = std::filesystem;

namespace {
std::shared_ptr<cairo_surface_t> adopt(cairo_surface_t* surface)
{
    return std::shared_ptr<cairo_surface_t>(surface, cairo_surface_destroy);
}

// Every picture is kept as ARGB32 so that readers and the mask code see one layout.
cairo_surface_t* toArgb(cairo_surface_t* surface)
{
    if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32)
        return surface;
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    cairo_surface_t* argb = ImageSurface::create(w, h);
    cairo_t* cr = cairo_create(argb);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return argb;
}

bool safeName(const std::string& name)
{
    if (name.empty() || name.front() == '/')
        return false;
    for (const auto& part : fs::path(name)) {
        if (part == "..")
            return false;
    }
    return true;
}

std::optional<std::pair<fs::path, double>> findNamedPicture(const std::string& name)
{
    const fs::path folder = Paths::resourcesFolder() / "images";
    const fs::path given(name);
    const std::string stem = given.has_extension() ? given.stem().string() : given.filename().string();
    const std::string ext = given.has_extension() ? given.extension().string() : ".png";
    const fs::path parent = given.parent_path();
    std::error_code ec;
    if (MainScreenScale::get() >= 2) {
        const fs::path hi = folder / parent / (stem + "@2x" + ext);
        if (fs::is_regular_file(hi, ec))
            return std::make_pair(hi, 2.0);
    }
    for (const fs::path& candidate : {folder / given, folder / parent / (stem + ext)}) {
        if (fs::is_regular_file(candidate, ec))
            return std::make_pair(candidate, 1.0);
    }
    return std::nullopt;
}

std::mutex g_cacheMutex;
std::map<std::string, std::shared_ptr<UIImage>> g_namedCache;
} // namespace

std::uint64_t UIImage::Identity::next()
{
    static std::atomic<std::uint64_t> last {0};
    return ++last;
}

UIImage::UIImage(std::shared_ptr<cairo_surface_t> surface, double scale, std::string name, bool placeholder)
    : m_surface(std::move(surface))
    , m_scale(scale)
    , m_name(std::move(name))
    , m_placeholder(placeholder)
{
}

std::shared_ptr<UIImage> UIImage::imageWithSurface(cairo_surface_t* surface, double scale,
                                                   UIImageOrientation orientation, CGImageAlphaInfo alphaInfo)
{
    if (!surface)
        return nullptr;
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS
        || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    if (!(scale > 0) || !std::isfinite(scale))
        scale = 1;
    cairo_surface_flush(surface);
    std::shared_ptr<UIImage> image(new UIImage(adopt(toArgb(surface)), scale, {}, false));
    image->m_orientation = orientation;
    image->m_alphaInfo = alphaInfo;
    return image;
}

std::shared_ptr<UIImage> UIImage::animatedImageWithImages(std::vector<std::shared_ptr<UIImage>> frames,
                                                          double duration)
{
    if (frames.empty() || !frames.front())
        return nullptr;
    const UIImage& first = *frames.front();
    std::shared_ptr<UIImage> image(new UIImage(first.m_surface, first.m_scale, {}, false));
    image->m_orientation = first.m_orientation;
    image->m_alphaInfo = first.m_alphaInfo;
    image->m_images = std::move(frames);
    image->m_duration = duration;
    return image;
}

std::shared_ptr<UIImage> UIImage::imageWithScale(double scale, UIImageOrientation orientation) const
{
    std::shared_ptr<UIImage> image(new UIImage(m_surface, scale > 0 && std::isfinite(scale) ? scale : 1, m_name,
                                               m_placeholder));
    image->m_orientation = orientation;
    image->m_alphaInfo = m_alphaInfo;
    image->m_images = m_images;
    image->m_duration = m_duration;
    return image;
}

std::shared_ptr<UIImage> UIImage::uprightImage() const
{
    if (m_orientation == UIImageOrientation::Up)
        return imageWithScale(m_scale, m_orientation);
    const bool swap = ImageOrientation::swapsSides(m_orientation);
    const int w = swap ? pixelHeight() : pixelWidth(), h = swap ? pixelWidth() : pixelHeight();
    cairo_surface_t* target = ImageSurface::create(w, h);
    cairo_t* cr = cairo_create(target);
    ImageOrientation::transformInto(cr, m_orientation, CGRectMake(0, 0, w, h), pixelWidth(), pixelHeight());
    cairo_set_source_surface(cr, m_surface.get(), 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return imageWithSurface(target, m_scale, UIImageOrientation::Up, m_alphaInfo);
}

std::shared_ptr<UIImage> UIImage::placeholder(const std::string& name, CGSize size)
{
    const int w = std::clamp(static_cast<int>(std::ceil(size.width)), 1, 256);
    const int h = std::clamp(static_cast<int>(std::ceil(size.height)), 1, 256);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    // Grey with a magenta cross: unmistakably not a real picture.
    cairo_set_source_rgba(cr, 0.75, 0.75, 0.75, 1);
    cairo_paint(cr);
    cairo_set_source_rgba(cr, 0.9, 0.1, 0.6, 1);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, w, h);
    cairo_move_to(cr, w, 0);
    cairo_line_to(cr, 0, h);
    cairo_stroke(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return std::shared_ptr<UIImage>(new UIImage(adopt(surface), 1, name, true));
}

std::shared_ptr<UIImage> UIImage::imageNamed(const std::string& name)
{
    {
        std::lock_guard lock(g_cacheMutex);
        if (auto it = g_namedCache.find(name); it != g_namedCache.end())
            return it->second;
    }
    std::shared_ptr<UIImage> image;
    PictureProblem problem;
    if (safeName(name)) {
        if (auto found = findNamedPicture(name)) {
            if (auto bytes = readFile(found->first, PixelLimits::MaxFileBytes))
                image = imageWithData(*bytes, found->second, problem);
        }
    }
    if (!image && problem.kind() == PictureProblem::Kind::NotNow) {
        // Not kept: the picture is there, and a later look decodes it.
        NSLog("picture %s %s", name.c_str(), problem.describe().c_str());
        return placeholder(name, {16, 16});
    }
    if (image) {
        image->m_name = name;
    } else {
        NSLog("picture not found: %s", name.c_str());
        image = placeholder(name, {16, 16});
    }
    std::lock_guard lock(g_cacheMutex);
    return g_namedCache.emplace(name, image).first->second;
}

void UIImage::clearNamedCache()
{
    std::lock_guard lock(g_cacheMutex);
    g_namedCache.clear();
}

int UIImage::pixelWidth() const { return cairo_image_surface_get_width(m_surface.get()); }

std::size_t UIImage::memoryBytes() const
{
    const auto own = [](cairo_surface_t* surface) {
        return static_cast<std::size_t>(cairo_image_surface_get_stride(surface))
            * static_cast<std::size_t>(cairo_image_surface_get_height(surface))
            + PixelLimits::FrameOverheadBytes;
    };
    std::size_t bytes = own(m_surface.get());
    for (const auto& frame : m_images) {
        if (frame->m_surface != m_surface)
            bytes += own(frame->m_surface.get());
    }
    return bytes;
}
int UIImage::pixelHeight() const { return cairo_image_surface_get_height(m_surface.get()); }

CGSize UIImage::size() const
{
    const CGSize stored {pixelWidth() / m_scale, pixelHeight() / m_scale};
    return ImageOrientation::swapsSides(m_orientation) ? CGSize {stored.height, stored.width} : stored;
}

UIImage::Pixel UIImage::pixelAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= pixelWidth() || y >= pixelHeight())
        return {};
    const unsigned char* data = cairo_image_surface_get_data(m_surface.get());
    const int stride = cairo_image_surface_get_stride(m_surface.get());
    std::uint32_t argb;
    std::memcpy(&argb, data + static_cast<std::ptrdiff_t>(y) * stride + x * 4, 4);
    const std::uint8_t a = argb >> 24;
    if (a == 0)
        return {};
    const auto un = [a](std::uint32_t c) { return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (c * 255 + a / 2) / a)); };
    return {un((argb >> 16) & 0xFF), un((argb >> 8) & 0xFF), un(argb & 0xFF), a};
}

bool UIImage::hasSamePixels(const UIImage& other) const
{
    cairo_surface_t* a = m_surface.get();
    cairo_surface_t* b = other.m_surface.get();
    const int width = pixelWidth(), height = pixelHeight();
    if (width != other.pixelWidth() || height != other.pixelHeight() || m_scale != other.m_scale)
        return false;
    cairo_surface_flush(a);
    cairo_surface_flush(b);
    const int strideA = cairo_image_surface_get_stride(a), strideB = cairo_image_surface_get_stride(b);
    const unsigned char* rowA = cairo_image_surface_get_data(a);
    const unsigned char* rowB = cairo_image_surface_get_data(b);
    if (!rowA || !rowB)
        return rowA == rowB;
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y, rowA += strideA, rowB += strideB) {
        if (std::memcmp(rowA, rowB, rowBytes) != 0)
            return false;
    }
    return true;
}

bool UIImage::writePNG(const fs::path& path) const
{
    const auto bytes = pngData();
    return bytes && writeFileAtomically(path, *bytes,
                                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read
                                            | fs::perms::others_read);
}
