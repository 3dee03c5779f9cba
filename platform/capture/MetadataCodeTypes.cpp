#include "platform/capture/MetadataCodeTypes.h"

#include <algorithm>

namespace MetadataCodeTypes {
namespace {
using ZXing::BarcodeFormat;

struct Entry {
    const AVMetadataObjectType* type;
    BarcodeFormat format;
};

// One row per type; the order decides which of two asked types sharing a format is reported.
const std::vector<Entry>& table()
{
    static const std::vector<Entry> rows {
        {&AVMetadataObjectTypeQRCode, BarcodeFormat::QRCode},
        {&AVMetadataObjectTypeUPCECode, BarcodeFormat::UPCE},
        {&AVMetadataObjectTypeCode39Code, BarcodeFormat::Code39},
        {&AVMetadataObjectTypeCode39Mod43Code, BarcodeFormat::Code39},
        {&AVMetadataObjectTypeEAN13Code, BarcodeFormat::EAN13},
        {&AVMetadataObjectTypeEAN13Code, BarcodeFormat::UPCA},
        {&AVMetadataObjectTypeEAN8Code, BarcodeFormat::EAN8},
        {&AVMetadataObjectTypeCode93Code, BarcodeFormat::Code93},
        {&AVMetadataObjectTypeCode128Code, BarcodeFormat::Code128},
        {&AVMetadataObjectTypePDF417Code, BarcodeFormat::PDF417},
        {&AVMetadataObjectTypeAztecCode, BarcodeFormat::Aztec},
        {&AVMetadataObjectTypeITF14Code, BarcodeFormat::ITF},
        {&AVMetadataObjectTypeInterleaved2of5Code, BarcodeFormat::ITF},
        {&AVMetadataObjectTypeDataMatrixCode, BarcodeFormat::DataMatrix},
    };
    return rows;
}

bool asks(const std::vector<AVMetadataObjectType>& asked, const AVMetadataObjectType& type)
{
    return std::find(asked.begin(), asked.end(), type) != asked.end();
}
} // namespace

const std::vector<AVMetadataObjectType>& all()
{
    static const std::vector<AVMetadataObjectType> types = [] {
        std::vector<AVMetadataObjectType> list;
        for (const auto& row : table()) {
            if (!asks(list, *row.type))
                list.push_back(*row.type);
        }
        return list;
    }();
    return types;
}

ZXing::BarcodeFormats formatsFor(const std::vector<AVMetadataObjectType>& types)
{
    ZXing::BarcodeFormats formats;
    for (const auto& row : table()) {
        if (asks(types, *row.type))
            formats |= row.format;
    }
    return formats;
}

std::optional<Reading> readingFor(ZXing::BarcodeFormat format, const std::string& text,
                                  const std::vector<AVMetadataObjectType>& asked)
{
    for (const auto& row : table()) {
        if (row.format != format || !asks(asked, *row.type))
            continue;
        // An ITF-14 code is fourteen digits; any other length is plain interleaved 2 of 5.
        if (*row.type == AVMetadataObjectTypeITF14Code && text.size() != 14)
            continue;
        return Reading {*row.type, format == BarcodeFormat::UPCA ? "0" + text : text};
    }
    return std::nullopt;
}

} // namespace MetadataCodeTypes
