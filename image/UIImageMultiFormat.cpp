#include "image/UIImageMultiFormat.h"

#include "image/NSDataImageContentType.h"
#include "image/UIImageGIF.h"
#include "platform/graphics/ExifOrientation.h"

UIImagePtr img_imageWithData(std::string_view data)
{
    if (data.empty())
        return nullptr;
    if (img_contentTypeForImageData(data) == "image/gif")
        return img_animatedGIFWithData(data);
    // The platform decoder already turns a JPEG by its EXIF orientation.
    return UIImage::imageWithData(data, 1);
}

UIImageOrientation img_imageOrientationFromImageData(std::string_view data)
{
    return img_exifOrientationToiOSOrientation(ExifOrientation::readFromJpeg(data));
}

UIImageOrientation img_exifOrientationToiOSOrientation(int exifOrientation)
{
    return ImageOrientation::fromExif(exifOrientation);
}
