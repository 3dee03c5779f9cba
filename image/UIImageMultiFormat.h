#pragma once

#include "platform/graphics/UIImage.h"

#include <string_view>

// Bytes of any picture format we read into a picture: GIFs through img_animatedGIFWithData, the
// others through the platform decoder, with the orientation their EXIF data records.
UIImagePtr img_imageWithData(std::string_view data);
UIImageOrientation img_imageOrientationFromImageData(std::string_view data);
UIImageOrientation img_exifOrientationToiOSOrientation(int exifOrientation);
