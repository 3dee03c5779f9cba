#pragma once

#include "platform/graphics/CGGeometry.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

using AVMetadataObjectType = std::string;

// The code types the metadata output recognises.
inline const AVMetadataObjectType AVMetadataObjectTypeQRCode = "org.iso.QRCode";
inline const AVMetadataObjectType AVMetadataObjectTypeUPCECode = "org.gs1.UPC-E";
inline const AVMetadataObjectType AVMetadataObjectTypeCode39Code = "org.iso.Code39";
inline const AVMetadataObjectType AVMetadataObjectTypeCode39Mod43Code = "org.iso.Code39Mod43";
inline const AVMetadataObjectType AVMetadataObjectTypeEAN13Code = "org.gs1.EAN-13";
inline const AVMetadataObjectType AVMetadataObjectTypeEAN8Code = "org.gs1.EAN-8";
inline const AVMetadataObjectType AVMetadataObjectTypeCode93Code = "com.intermec.Code93";
inline const AVMetadataObjectType AVMetadataObjectTypeCode128Code = "org.iso.Code128";
inline const AVMetadataObjectType AVMetadataObjectTypePDF417Code = "org.iso.PDF417";
inline const AVMetadataObjectType AVMetadataObjectTypeAztecCode = "org.iso.Aztec";
inline const AVMetadataObjectType AVMetadataObjectTypeInterleaved2of5Code = "org.ansi.Interleaved2of5";
inline const AVMetadataObjectType AVMetadataObjectTypeITF14Code = "org.gs1.ITF14";
inline const AVMetadataObjectType AVMetadataObjectTypeDataMatrixCode = "org.iso.DataMatrix";
// Not a code: what a face detector reports.
inline const AVMetadataObjectType AVMetadataObjectTypeFace = "face";

// Something recognised in a frame.
class AVMetadataObject {
public:
    AVMetadataObject(AVMetadataObjectType type, CGRect bounds)
        : m_type(std::move(type))
        , m_bounds(bounds)
    {
    }
    virtual ~AVMetadataObject() = default;
    const AVMetadataObjectType& type() const { return m_type; }
    // Normalised to the frame (0 to 1 on both axes).
    const CGRect& bounds() const { return m_bounds; }

private:
    AVMetadataObjectType m_type;
    CGRect m_bounds;
};

// A code read from a frame; its text is missing when the code's content is not text.
class AVMetadataMachineReadableCodeObject final : public AVMetadataObject {
public:
    AVMetadataMachineReadableCodeObject(AVMetadataObjectType type, CGRect bounds, std::optional<std::string> stringValue)
        : AVMetadataObject(std::move(type), bounds)
        , m_stringValue(std::move(stringValue))
    {
    }
    const std::optional<std::string>& stringValue() const { return m_stringValue; }

private:
    std::optional<std::string> m_stringValue;
};

using AVMetadataObjectPtr = std::shared_ptr<const AVMetadataObject>;
