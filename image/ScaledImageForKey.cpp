#include "image/ScaledImageForKey.h"

#include "platform/graphics/MainScreenScale.h"

UIImagePtr ScaledImageForKey(const std::string& key, const UIImagePtr& image)
{
    if (!image)
        return nullptr;
    if (!image->images().empty()) {
        std::vector<UIImagePtr> frames;
        frames.reserve(image->images().size());
        for (const auto& frame : image->images())
            frames.push_back(ScaledImageForKey(key, frame));
        return UIImage::animatedImageWithImages(std::move(frames), image->duration());
    }
    double scale = MainScreenScale::get();
    if (key.size() >= 8) {
        if (key.find("@2x.") != std::string::npos)
            scale = 2.0;
        if (key.find("@3x.") != std::string::npos)
            scale = 3.0;
    }
    return image->imageWithScale(scale, image->orientation());
}
