#include "platform/capture/CodeReader.h"

#include "platform/foundation/TextEncoding.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <exception>

namespace CodeReader {
namespace {
std::vector<DecodedCode> readCodes(const LuminanceImage& image, ZXing::BarcodeFormats formats);

// The library renders bytes of no declared character set as UTF-8 and stops quietly at the first
// byte that is not, leaving the bytes' own leading part: such a text is read again from all of
// its bytes. A text it rendered from a known set (an ECI, kanji mode) is kept.
std::string textOf(const ZXing::Result& result)
{
    std::string text = result.text();
    const auto& bytes = result.bytes();
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (result.hasECI() || text.size() >= raw.size() || !raw.starts_with(text))
        return text;
    return TextEncoding::fromUndeclared(raw);
}

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
    codes.push_back({result.format(), textOf(result), CGRectMake(minX, minY, maxX - minX, maxY - minY)});
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
