#pragma once

#include "platform/capture/LuminanceImage.h"

#include <ZXing/BarcodeFormat.h>

#include <string>
#include <vector>

// Reads the codes of a luminance picture through zxing-cpp. Byte-mode text without a declared
// character set is UTF-8 when its bytes are, else GB18030 (the venue's own), else Latin-1.
struct DecodedCode {
    ZXing::BarcodeFormat format = ZXing::BarcodeFormat::None;
    std::string text;
    CGRect bounds; // in the luminance picture's pixels
};

namespace CodeReader {
std::vector<DecodedCode> read(const LuminanceImage& image, ZXing::BarcodeFormats formats);
}
