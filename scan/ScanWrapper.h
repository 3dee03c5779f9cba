#pragma once

#include "platform/capture/AVMetadataObject.h"
#include "platform/graphics/UIImage.h"
#include "platform/ui/UIView.h"
#include "scan/QRCodeModules.h"
#include "scan/ScanNative.h"
#include "scan/ScanResult.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ZXingWrapper;

// The one entry to scanning: a live scan on the capture layer (or, on systems before 7.0, on the
// second engine), the permission questions around it, reading a code from a still picture, and
// drawing code images. Sound and vibration only write a line: the program has no speaker.
class ScanWrapper {
public:
    using ObjectTypes = ScanNative::ObjectTypes;

    static std::shared_ptr<ScanWrapper> initWithPreView(const UIViewPtr& preView, ObjectTypes arrayObjectType,
                                                        const CGRect& cropRect, ScanResultBlock success);
    // Forced onto the second engine; its results come as one record each, like the other path.
    static std::shared_ptr<ScanWrapper> initZXingWithPreView(const UIViewPtr& preView, ScanResultBlock success);
    ~ScanWrapper();

    void startScan();
    void stopScan();
    void openFlash(bool on);
    void openOrCloseFlash();
    void changeScanObjType(const std::vector<AVMetadataObjectType>& objType);
    // Whether a camera feeds the scan (no device, or no leave to use it, gives none).
    bool hasCamera() const;

    const ScanNativePtr& scanNativeObj() const { return m_scanNativeObj; }
    const std::shared_ptr<ZXingWrapper>& scanZXingObj() const { return m_scanZXingObj; }
    const ObjectTypes& arrayBarCodeType() const { return m_arrayBarCodeType; }

    static bool isSysIos7Later();
    static bool isSysIos8Later();
    static bool isGetCameraPermission();
    // Whether the camera may give pictures at all: neither denied nor restricted.
    static bool isCameraUseAllowed();
    static bool isGetPhotoPermission();
    // The code of a still picture as a one-record list; an empty list when none can be read.
    static void recognizeImage(const UIImagePtr& image, const ScanResultBlock& success);
    static void systemSound();
    static void systemVibrate();

    static std::optional<AVMetadataObjectType> convertZXBarcodeFormat(std::int32_t barCodeFormat);
    static std::int32_t convertCodeFomratToZXBarcodeFormat(const AVMetadataObjectType& strAVMetadataObjectType);

    // Code images. Every one is null for a text that does not fit or a size that cannot be drawn.
    static UIImagePtr createQRWithString(const std::string& str, CGSize size);
    static UIImagePtr createCodeWithString(const std::string& str, CGSize size,
                                           const AVMetadataObjectType& codeFomart);
    static std::optional<QRCodeModules> createQRForString(const std::string& qrString);
    static UIImagePtr createNonInterpolatedUIImageFormCIImage(const std::optional<QRCodeModules>& image, double size);
    static UIImagePtr createQRWithString(const std::string& text, CGSize size, const UIColorPtr& qrColor,
                                         const UIColorPtr& bkColor);
    static UIImagePtr addImageLogo(const UIImagePtr& srcImg, const UIImagePtr& logoImg, CGSize logoSize);
    // Dark pixels (by brightness, transparent ones counting as light) take the colour, opaque;
    // light ones become transparent.
    static UIImagePtr imageBlackToTransparent(const UIImagePtr& image, double red, double green, double blue);

private:
    ScanWrapper() = default;

    // Exactly one engine is made: the capture layer's, or the second one (always when forced).
    ScanNativePtr m_scanNativeObj;
    std::shared_ptr<ZXingWrapper> m_scanZXingObj;
    ObjectTypes m_arrayBarCodeType;
};

using ScanWrapperPtr = std::shared_ptr<ScanWrapper>;
