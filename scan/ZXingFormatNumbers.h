#pragma once

#include <ZXing/BarcodeFormat.h>

#include <cstdint>
#include <optional>

// The barcode-format numbers that code images and the second engine's results carry (0 Aztec,
// 5 Data Matrix, 11 QR ...), and the reader's formats they stand for.
namespace ZXingFormatNumbers {
inline constexpr std::int32_t QRCode = 11;
std::optional<ZXing::BarcodeFormat> formatForNumber(std::int32_t number);
std::optional<std::int32_t> numberForFormat(ZXing::BarcodeFormat format);
} // namespace ZXingFormatNumbers
