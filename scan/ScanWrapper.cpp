#include "scan/ScanWrapper.h"

#include "platform/capture/AVCaptureDevice.h"
#include "platform/foundation/Log.h"
#include "platform/ui/UIDevice.h"
#include "scan/ZXingWrapper.h"

#include <cstdlib>

namespace {
double systemVersion()
{
    return std::strtod(UIDevice::currentDevice().systemVersion().c_str(), nullptr);
}

bool defaultDeviceHasFlash()
{
    const auto device = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
    return device && device->hasTorch() && device->hasFlash();
}

// What the second engine reports, as the one record the screens expect.
ZXingWrapper::Block recordBlock(ScanResultBlock success)
{
    return [success = std::move(success)](std::int32_t format, const std::string& text, const UIImagePtr& image) {
        if (success)
            success({std::make_shared<ScanResult>(text, image, ScanWrapper::convertZXBarcodeFormat(format))});
    };
}
} // namespace

std::shared_ptr<ScanWrapper> ScanWrapper::initWithPreView(const UIViewPtr& preView, ObjectTypes arrayObjectType,
                                                          const CGRect& cropRect, ScanResultBlock success)
{
    std::shared_ptr<ScanWrapper> wrapper(new ScanWrapper);
    wrapper->m_arrayBarCodeType = arrayObjectType;
    if (isSysIos7Later()) {
        wrapper->m_scanNativeObj = ScanNative::initWithPreView(
            preView, std::move(arrayObjectType), cropRect, [success = std::move(success)](const ScanResults& results) {
                if (success)
                    success(results);
            });
        wrapper->m_scanNativeObj->setNeedCaptureImage(true);
    } else {
        wrapper->m_scanZXingObj = ZXingWrapper::initWithPreView(preView, recordBlock(std::move(success)));
    }
    return wrapper;
}

std::shared_ptr<ScanWrapper> ScanWrapper::initZXingWithPreView(const UIViewPtr& preView, ScanResultBlock success)
{
    std::shared_ptr<ScanWrapper> wrapper(new ScanWrapper);
    wrapper->m_scanZXingObj = ZXingWrapper::initWithPreView(preView, recordBlock(std::move(success)));
    return wrapper;
}

ScanWrapper::~ScanWrapper() = default;

void ScanWrapper::startScan()
{
    if (m_scanNativeObj)
        m_scanNativeObj->startScan();
    else if (m_scanZXingObj)
        m_scanZXingObj->start();
}

void ScanWrapper::stopScan()
{
    if (m_scanNativeObj)
        m_scanNativeObj->stopScan();
    else if (m_scanZXingObj)
        m_scanZXingObj->stop();
}

void ScanWrapper::changeScanObjType(const std::vector<AVMetadataObjectType>& objType)
{
    if (m_scanNativeObj)
        m_scanNativeObj->changeScanType(objType);
}

void ScanWrapper::openFlash(bool on)
{
    if (!defaultDeviceHasFlash())
        return;
    if (m_scanNativeObj)
        m_scanNativeObj->setTorch(on);
    else if (m_scanZXingObj)
        m_scanZXingObj->openTorch(on);
}

void ScanWrapper::openOrCloseFlash()
{
    if (!defaultDeviceHasFlash())
        return;
    if (m_scanNativeObj)
        m_scanNativeObj->changeTorch();
    else if (m_scanZXingObj)
        m_scanZXingObj->openOrCloseTorch();
}

bool ScanWrapper::hasCamera() const
{
    if (m_scanNativeObj)
        return m_scanNativeObj->input() != nullptr;
    return AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo) && isCameraUseAllowed();
}

bool ScanWrapper::isSysIos7Later()
{
    return systemVersion() >= 7.0;
}

bool ScanWrapper::isSysIos8Later()
{
    return systemVersion() >= 8.0;
}

bool ScanWrapper::isGetCameraPermission()
{
    if (!isSysIos7Later())
        return true;
    return AVCaptureDevice::authorizationStatusForMediaType(AVMediaTypeVideo) != AVAuthorizationStatus::Denied;
}

bool ScanWrapper::isCameraUseAllowed()
{
    return AVCaptureDevice::grantsFrames(AVCaptureDevice::authorizationStatusForMediaType(AVMediaTypeVideo));
}

// The program keeps no photo library, so nothing can have denied access to it.
bool ScanWrapper::isGetPhotoPermission()
{
    return true;
}

void ScanWrapper::recognizeImage(const UIImagePtr& image, const ScanResultBlock& success)
{
    ZXingWrapper::recognizeImage(image, [&](std::int32_t format, const std::optional<std::string>& text) {
        if (!success)
            return;
        if (!text) {
            success({});
            return;
        }
        success({std::make_shared<ScanResult>(text, image, convertZXBarcodeFormat(format))});
    });
}

void ScanWrapper::systemSound()
{
    NSLog("system sound 1109");
}

void ScanWrapper::systemVibrate()
{
    NSLog("system sound 4095 (vibrate)");
}
