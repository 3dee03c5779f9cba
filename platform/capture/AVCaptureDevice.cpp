#include "platform/capture/AVCaptureDevice.h"

#include <atomic>
#include <mutex>
#include <string>

namespace {
std::mutex g_devicesMutex;
std::vector<AVCaptureDevicePtr> g_devices;
std::atomic<AVAuthorizationStatus> g_status {AVAuthorizationStatus::Authorized};
} // namespace

AVCaptureDevice::AVCaptureDevice(std::shared_ptr<FrameSource> source, Features features)
    : m_source(std::move(source))
    , m_features(std::move(features))
{
}

AVCaptureDevicePtr AVCaptureDevice::create(std::shared_ptr<FrameSource> source, Features features)
{
    return std::make_shared<AVCaptureDevice>(std::move(source), std::move(features));
}

AVCaptureDevicePtr AVCaptureDevice::defaultDeviceWithMediaType(const AVMediaType& type)
{
    auto devices = devicesWithMediaType(type);
    return devices.empty() ? nullptr : devices.front();
}

std::vector<AVCaptureDevicePtr> AVCaptureDevice::devicesWithMediaType(const AVMediaType& type)
{
    if (type != AVMediaTypeVideo)
        return {};
    std::lock_guard lock(g_devicesMutex);
    return g_devices;
}

void AVCaptureDevice::setDevices(std::vector<AVCaptureDevicePtr> devices)
{
    std::lock_guard lock(g_devicesMutex);
    g_devices = std::move(devices);
}

AVAuthorizationStatus AVCaptureDevice::authorizationStatusForMediaType(const AVMediaType&)
{
    return g_status.load();
}

void AVCaptureDevice::setAuthorizationStatus(AVAuthorizationStatus status)
{
    g_status.store(status);
}

bool AVCaptureDevice::grantsFrames(AVAuthorizationStatus status)
{
    return status != AVAuthorizationStatus::Denied && status != AVAuthorizationStatus::Restricted;
}

bool AVCaptureDevice::lockForConfiguration()
{
    m_locked = true;
    return true;
}

void AVCaptureDevice::unlockForConfiguration()
{
    m_locked = false;
}

void AVCaptureDevice::requireLock(const char* what) const
{
    if (!m_locked)
        throw AVCaptureDeviceConfigurationException(std::string(what) + " changed without lockForConfiguration");
}

void AVCaptureDevice::setTorchMode(AVCaptureTorchMode mode)
{
    requireLock("torch mode");
    if (!m_features.hasTorch)
        throw AVCaptureDeviceConfigurationException("the device has no torch");
    m_torchMode = mode;
}

void AVCaptureDevice::setFocusMode(AVCaptureFocusMode mode)
{
    requireLock("focus mode");
    if (!isFocusModeSupported(mode))
        throw AVCaptureDeviceConfigurationException("focus mode " + std::to_string(static_cast<int>(mode)) +
                                                    " is not supported by the device");
    m_focusMode = mode;
}
