// Feeds arbitrary bytes to still-picture recognition: as a picture file (the way a picked photo
// arrives), or, when the first byte is odd, as raw pixels of a small picture so that the reader
// itself sees hostile content rather than the file decoder refusing it. Nothing may crash, read
// out of bounds or hang; a picture without a code gives an empty list.
#include "platform/capture/PixelPicture.h"
#include "scan/ScanWrapper.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
UIImagePtr rawPicture(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return nullptr;
    const int w = 1 + data[1] % 128, h = 1 + data[2] % 128;
    const std::uint8_t* pixels = data + 3;
    const std::size_t count = size - 3;
    return pictureFromPixels(w, h, [&](int x, int y) {
        const std::size_t i = static_cast<std::size_t>(y) * w + x;
        // Opaque grey from the bytes, repeating them; a light picture when they run out.
        const std::uint32_t v = count ? pixels[i % count] : 255;
        return 0xFF000000u | v << 16 | v << 8 | v;
    });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const UIImagePtr picture = size && (data[0] & 1)
        ? rawPicture(data, size)
        : UIImage::imageWithData(std::string_view(reinterpret_cast<const char*>(data), size));
    ScanWrapper::recognizeImage(picture, [](const ScanResults& results) {
        if (results.size() > 1 || (results.size() == 1 && !results[0]->strScanned))
            std::abort();
    });
    return 0;
}
