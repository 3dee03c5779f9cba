#include "image/UIImageGIF.h"

#include "platform/foundation/Paths.h"
#include "platform/graphics/GifCodec.h"
#include "platform/graphics/ImageSurface.h"
#include "platform/graphics/MainScreenScale.h"
#include "platform/graphics/PixelLimits.h"

#include <cmath>

namespace {
UIImagePtr gifAt(const std::optional<std::filesystem::path>& path)
{
    if (!path)
        return nullptr;
    const auto bytes = readFile(*path, PixelLimits::MaxFileBytes);
    return bytes ? img_animatedGIFWithData(*bytes) : nullptr;
}

UIImagePtr drawFrame(const UIImage& frame, CGSize target, CGPoint origin, CGSize scaled, double scale)
{
    const int w = static_cast<int>(std::ceil(target.width * scale)), h = static_cast<int>(std::ceil(target.height * scale));
    if (!PixelLimits::allows(w, h))
        return nullptr;
    // A fresh, transparent canvas per frame: frames with transparency must not show the last.
    cairo_surface_t* surface = ImageSurface::create(w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    ImageOrientation::transformInto(cr, frame.orientation(), CGRectMake(origin.x, origin.y, scaled.width, scaled.height),
                                    frame.pixelWidth(), frame.pixelHeight());
    cairo_set_source_surface(cr, frame.surface(), 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return UIImage::imageWithSurface(surface, scale);
}
} // namespace

UIImagePtr img_animatedGIFWithData(std::string_view data)
{
    if (data.empty())
        return nullptr;
    auto image = GifCodec::decode(data, MainScreenScale::get());
    if (image && image->images().empty())
        return image->imageWithScale(1, UIImageOrientation::Up);
    return image;
}

UIImagePtr img_animatedGIFNamed(const std::string& name)
{
    if (MainScreenScale::get() > 1.0) {
        if (auto image = gifAt(Paths::pathForResource(name + "@2x", "gif")))
            return image;
    }
    if (auto image = gifAt(Paths::pathForResource(name, "gif")))
        return image;
    return UIImage::imageNamed(name);
}

UIImagePtr img_animatedImageByScalingAndCroppingToSize(const UIImagePtr& image, CGSize size)
{
    if (!image)
        return nullptr;
    const CGSize own = image->size();
    if (own == size || size.width <= 0 || size.height <= 0 || own.width <= 0 || own.height <= 0)
        return image;
    const double widthFactor = size.width / own.width, heightFactor = size.height / own.height;
    const double factor = widthFactor > heightFactor ? widthFactor : heightFactor;
    const CGSize scaled {own.width * factor, own.height * factor};
    CGPoint origin {0, 0};
    if (widthFactor > heightFactor)
        origin.y = (size.height - scaled.height) * 0.5;
    else if (widthFactor < heightFactor)
        origin.x = (size.width - scaled.width) * 0.5;
    const double scale = MainScreenScale::get();
    // A still picture counts as an animation of one frame and stays still.
    if (image->images().empty())
        return drawFrame(*image, size, origin, scaled, scale);
    std::vector<UIImagePtr> frames;
    for (const auto& frame : image->images()) {
        auto drawn = drawFrame(*frame, size, origin, scaled, scale);
        if (!drawn)
            return nullptr;
        frames.push_back(std::move(drawn));
    }
    return UIImage::animatedImageWithImages(std::move(frames), image->duration());
}
