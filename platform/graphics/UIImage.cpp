#include "platform/graphics/UIImage.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/MainScreenScale.h"
#include "platform/graphics/PixelLimits.h"
#include "platform/graphics/UIGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace fs = std::filesystem;

namespace {
std::shared_ptr<cairo_surface_t> adopt(cairo_surface_t* surface)
{
    return std::shared_ptr<cairo_surface_t>(surface, cairo_surface_destroy);
}

// Reads the picture size from a PNG header without decoding, so oversized pictures are refused
// before anything is allocated for them.
bool pngHeaderAllowed(std::string_view bytes)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 24 || std::memcmp(bytes.data(), signature, 8) != 0 || bytes.substr(12, 4) != "IHDR")
        return false;
    const auto be32 = [&](std::size_t at) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
    };
    return PixelLimits::allows(be32(16), be32(20));
}

struct ReadCursor {
    std::string_view bytes;
    std::size_t offset = 0;
};

cairo_status_t readFromCursor(void* closure, unsigned char* data, unsigned int length)
{
    auto* cursor = static_cast<ReadCursor*>(closure);
    if (cursor->bytes.size() - cursor->offset < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, cursor->bytes.data() + cursor->offset, length);
    cursor->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// Every picture is kept as ARGB32 so that readers and the mask code see one layout.
cairo_surface_t* toArgb(cairo_surface_t* surface)
{
    if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32)
        return surface;
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
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

UIImage::UIImage(std::shared_ptr<cairo_surface_t> surface, double scale, std::string name, bool placeholder)
    : m_surface(std::move(surface))
    , m_scale(scale)
    , m_name(std::move(name))
    , m_placeholder(placeholder)
{
}

std::shared_ptr<UIImage> UIImage::imageWithSurface(cairo_surface_t* surface, double scale)
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
    return std::shared_ptr<UIImage>(new UIImage(adopt(toArgb(surface)), scale, {}, false));
}

std::shared_ptr<UIImage> UIImage::imageWithData(std::string_view bytes, double scale)
{
    if (!pngHeaderAllowed(bytes))
        return nullptr;
    ReadCursor cursor {bytes, 0};
    return imageWithSurface(cairo_image_surface_create_from_png_stream(readFromCursor, &cursor), scale);
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const fs::path& path)
{
    const auto bytes = readFile(path);
    if (!bytes)
        return nullptr;
    // A picture file named "x@2x.png" holds twice the pixels per point.
    const double scale = path.stem().string().ends_with("@2x") ? 2.0 : 1.0;
    return imageWithData(*bytes, scale);
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
    if (safeName(name)) {
        if (auto found = findNamedPicture(name)) {
            if (auto bytes = readFile(found->first))
                image = imageWithData(*bytes, found->second);
        }
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
int UIImage::pixelHeight() const { return cairo_image_surface_get_height(m_surface.get()); }

CGSize UIImage::size() const { return {pixelWidth() / m_scale, pixelHeight() / m_scale}; }

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

std::optional<std::string> UIImage::pngData() const
{
    std::string out;
    if (cairo_surface_write_to_png_stream(m_surface.get(), appendToString, &out) != CAIRO_STATUS_SUCCESS)
        return std::nullopt;
    return out;
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

void UIImage::drawInRect(const CGRect& rect) const
{
    if (auto context = UIGraphicsGetCurrentContext())
        context->drawImageUpright(rect, *this);
}

void UIImage::drawAtPoint(const CGPoint& point) const
{
    const CGSize s = size();
    drawInRect(CGRectMake(point.x, point.y, s.width, s.height));
}
