#include "platform/capture/CodeReader.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>

namespace CodeReader {

std::vector<DecodedCode> read(const LuminanceImage& image, ZXing::BarcodeFormats formats)
{
    if (image.empty() || formats.empty())
        return {};
    ZXing::DecodeHints hints;
    hints.setFormats(formats);
    hints.setCharacterSet("UTF-8");
    std::vector<DecodedCode> codes;
    for (const auto& result : ZXing::ReadBarcodes(image.view(), hints)) {
        if (!result.isValid())
            continue;
        const auto& box = result.position();
        double minX = box[0].x, maxX = box[0].x, minY = box[0].y, maxY = box[0].y;
        for (const auto& corner : box) {
            minX = std::min<double>(minX, corner.x), maxX = std::max<double>(maxX, corner.x);
            minY = std::min<double>(minY, corner.y), maxY = std::max<double>(maxY, corner.y);
        }
        codes.push_back({result.format(), result.text(), CGRectMake(minX, minY, maxX - minX, maxY - minY)});
    }
    return codes;
}

} // namespace CodeReader
