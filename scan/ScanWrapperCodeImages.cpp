// The facade's code types and code images.
#include "scan/ScanWrapper.h"

#include "platform/capture/LuminanceImage.h"
#include "platform/capture/PixelPicture.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/PixelLimits.h"
#include "platform/graphics/UIGraphics.h"
#include "scan/ZXingWrapper.h"

#include <array>
#include <cmath>
#include <utility>

namespace {
struct FormatRow {
    std::int32_t number;
    const AVMetadataObjectType* type;
};
// Format numbers and the type each stands for; the ITF-14 row is one way only (a type that is
// not listed here draws as QR).
const std::array<FormatRow, 11> FormatRows {{
    {0, &AVMetadataObjectTypeAztecCode},
    {2, &AVMetadataObjectTypeCode39Code},
    {3, &AVMetadataObjectTypeCode93Code},
    {4, &AVMetadataObjectTypeCode128Code},
    {5, &AVMetadataObjectTypeDataMatrixCode},
    {6, &AVMetadataObjectTypeEAN8Code},
    {7, &AVMetadataObjectTypeEAN13Code},
    {8, &AVMetadataObjectTypeITF14Code},
    {10, &AVMetadataObjectTypePDF417Code},
    {11, &AVMetadataObjectTypeQRCode},
    {15, &AVMetadataObjectTypeUPCECode},
}};
} // namespace

std::optional<AVMetadataObjectType> ScanWrapper::convertZXBarcodeFormat(std::int32_t barCodeFormat)
{
    for (const auto& row : FormatRows) {
        if (row.number == barCodeFormat)
            return *row.type;
    }
    return std::nullopt;
}

std::int32_t ScanWrapper::convertCodeFomratToZXBarcodeFormat(const AVMetadataObjectType& strAVMetadataObjectType)
{
    for (const auto& row : FormatRows) {
        if (row.number != 8 && *row.type == strAVMetadataObjectType)
            return row.number;
    }
    return 11;
}

std::optional<QRCodeModules> ScanWrapper::createQRForString(const std::string& qrString)
{
    return QRCodeModules::encode(qrString, QRCodeModules::Level::M);
}

UIImagePtr ScanWrapper::createNonInterpolatedUIImageFormCIImage(const std::optional<QRCodeModules>& image, double size)
{
    if (!image)
        return nullptr;
    return image->draw(CGSizeMake(size, size), UIColor::blackColor(), UIColor::whiteColor());
}

UIImagePtr ScanWrapper::createQRWithString(const std::string& str, CGSize size)
{
    if (!isSysIos7Later())
        return ZXingWrapper::createCodeWithString(str, size, 11);
    return createNonInterpolatedUIImageFormCIImage(createQRForString(str), size.width);
}

UIImagePtr ScanWrapper::createCodeWithString(const std::string& str, CGSize size, const AVMetadataObjectType& codeFomart)
{
    return ZXingWrapper::createCodeWithString(str, size, convertCodeFomratToZXBarcodeFormat(codeFomart));
}

UIImagePtr ScanWrapper::createQRWithString(const std::string& text, CGSize size, const UIColorPtr& qrColor,
                                           const UIColorPtr& bkColor)
{
    const auto modules = QRCodeModules::encode(text, QRCodeModules::Level::H);
    if (!modules)
        return nullptr;
    return modules->draw(size, qrColor, bkColor);
}

UIImagePtr ScanWrapper::addImageLogo(const UIImagePtr& srcImg, const UIImagePtr& logoImg, CGSize logoSize)
{
    if (!srcImg)
        return nullptr;
    const CGSize size = srcImg->size();
    auto context = CGContext::createBitmap(size, srcImg->scale());
    if (!context->isValid())
        return nullptr;
    context->drawImageUpright(CGRectMake(0, 0, size.width, size.height), *srcImg);
    if (logoImg)
        context->drawImageUpright(CGRectMake((size.width - logoSize.width) / 2, (size.height - logoSize.height) / 2,
                                             logoSize.width, logoSize.height),
                                  *logoImg);
    return context->makeImage();
}

UIImagePtr ScanWrapper::imageBlackToTransparent(const UIImagePtr& image, double red, double green, double blue)
{
    if (!image)
        return nullptr;
    const double w = std::trunc(image->size().width), h = std::trunc(image->size().height);
    if (!PixelLimits::allows(w, h))
        return nullptr;
    auto context = CGContext::createBitmap(CGSizeMake(w, h), 1);
    if (!context->isValid())
        return nullptr;
    context->drawImageUpright(CGRectMake(0, 0, w, h), *image);
    auto drawn = context->makeImage();
    if (!drawn)
        return nullptr;
    const auto grey = LuminanceImage::fromImage(*drawn);
    const auto channel = [](double v) {
        return std::isfinite(v) ? static_cast<std::uint32_t>(std::clamp(std::trunc(v), 0.0, 255.0)) : 0u;
    };
    const std::uint32_t colour = 0xFF000000u | channel(red) << 16 | channel(green) << 8 | channel(blue);
    return pictureFromPixels(grey.width(), grey.height(), [&](int x, int y) {
        return grey.pixels()[static_cast<std::size_t>(y) * grey.width() + x] < 0x99 ? colour : 0u;
    });
}
