#include "platform/capture/CodeReader.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <exception>

namespace CodeReader {
namespace {
std::vector<DecodedCode> readCodes(const LuminanceImage& image, ZXing::BarcodeFormats formats);

void append(std::vector<DecodedCode>& codes, const ZXing::Result& result)
{
    if (!result.isValid())
        return;
    const auto& box = result.position();
    double minX = box[0].x, maxX = box[0].x, minY = box[0].y, maxY = box[0].y;
    for (const auto& corner : box) {
        minX = std::min<double>(minX, corner.x), maxX = std::max<double>(maxX, corner.x);
        minY = std::min<double>(minY, corner.y), maxY = std::max<double>(maxY, corner.y);
    }
    codes.push_back({result.format(), result.text(), CGRectMake(minX, minY, maxX - minX, maxY - minY)});
}
} // namespace

// Matrix codes are read all at once. Bar codes are read one per picture: the library stops the
// process when it finds a bar code a second time in the same picture (it compares two bar-code
// results only for a single scan line and asserts so), which a camera easily sees. And some
// hostile pictures make its detectors throw (an index past a vector's end): such a picture has
// no code, and nothing of the exception reaches the capture thread.
std::vector<DecodedCode> read(const LuminanceImage& image, ZXing::BarcodeFormats formats)
{
    if (image.empty() || formats.empty())
        return {};
    try {
        return readCodes(image, formats);
    } catch (const std::exception&) {
        return {};
    }
}

namespace {
std::vector<DecodedCode> readCodes(const LuminanceImage& image, ZXing::BarcodeFormats formats)
{
    ZXing::DecodeHints hints;
    hints.setCharacterSet("UTF-8");
    std::vector<DecodedCode> codes;
    const auto matrix = formats & ZXing::BarcodeFormat::MatrixCodes;
    if (!matrix.empty()) {
        hints.setFormats(matrix);
        for (const auto& result : ZXing::ReadBarcodes(image.view(), hints))
            append(codes, result);
    }
    const auto linear = formats & ZXing::BarcodeFormat::LinearCodes;
    if (!linear.empty()) {
        hints.setFormats(linear);
        append(codes, ZXing::ReadBarcode(image.view(), hints));
    }
    return codes;
}
} // namespace

} // namespace CodeReader
