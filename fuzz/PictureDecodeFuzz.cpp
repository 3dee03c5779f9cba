// Bytes from the network or the disk cache through every picture decoder, the partial decoder
// of progressive downloads and the EXIF orientation reader.
#include "platform/graphics/ExifOrientation.h"
#include "platform/graphics/UIImage.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto image = UIImage::imageWithData(bytes)) {
        // What is decoded must be drawable as shown.
        (void)image->uprightImage();
    }
    (void)UIImage::imageWithPartialData(bytes);
    (void)ExifOrientation::readFromJpeg(bytes);
    (void)ExifOrientation::readFromTiff(bytes);
    return 0;
}
