#include "image/UIImageForceDecode.h"

UIImagePtr decodedImageWithImage(const UIImagePtr& image)
{
    if (!image || !image->images().empty())
        return image;
    switch (image->alphaInfo()) {
    case CGImageAlphaInfo::PremultipliedLast:
    case CGImageAlphaInfo::PremultipliedFirst:
    case CGImageAlphaInfo::Last:
    case CGImageAlphaInfo::First:
        return image;
    default:
        break;
    }
    // Redrawn into premultiplied-first pixels: what a bitmap context of ours holds already.
    return UIImage::imageWithSurface(cairo_surface_reference(image->surface()), image->scale(),
                                     image->orientation(), CGImageAlphaInfo::PremultipliedFirst);
}
