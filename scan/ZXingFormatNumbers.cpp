#include "scan/ZXingFormatNumbers.h"

#include <array>
#include <utility>

namespace ZXingFormatNumbers {
namespace {
using ZXing::BarcodeFormat;
constexpr std::array<std::pair<std::int32_t, BarcodeFormat>, 16> Numbers {{
    {0, BarcodeFormat::Aztec},
    {1, BarcodeFormat::Codabar},
    {2, BarcodeFormat::Code39},
    {3, BarcodeFormat::Code93},
    {4, BarcodeFormat::Code128},
    {5, BarcodeFormat::DataMatrix},
    {6, BarcodeFormat::EAN8},
    {7, BarcodeFormat::EAN13},
    {8, BarcodeFormat::ITF},
    {9, BarcodeFormat::MaxiCode},
    {10, BarcodeFormat::PDF417},
    {11, BarcodeFormat::QRCode},
    {12, BarcodeFormat::DataBar},
    {13, BarcodeFormat::DataBarExpanded},
    {14, BarcodeFormat::UPCA},
    {15, BarcodeFormat::UPCE},
}};
} // namespace

std::optional<ZXing::BarcodeFormat> formatForNumber(std::int32_t number)
{
    for (const auto& [n, format] : Numbers) {
        if (n == number)
            return format;
    }
    return std::nullopt;
}

std::optional<std::int32_t> numberForFormat(ZXing::BarcodeFormat format)
{
    for (const auto& [n, f] : Numbers) {
        if (f == format)
            return n;
    }
    return std::nullopt;
}
} // namespace ZXingFormatNumbers
