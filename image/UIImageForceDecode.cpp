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
    // Our surfaces already hold decoded premultiplied-first pixels, which a redraw would only
    // copy: the same pixels come back, labelled as such.
    return UIImage::imageWithSurface(cairo_surface_reference(image->surface()), image->scale(),
                                     image->orientation(), CGImageAlphaInfo::PremultipliedFirst);
}
