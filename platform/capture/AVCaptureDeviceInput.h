#pragma once

#include "platform/capture/AVCaptureDevice.h"

#include <memory>

// The way a device feeds a session. There is none for a missing device or for a camera the user
// did not allow.
class AVCaptureDeviceInput {
public:
    static std::shared_ptr<AVCaptureDeviceInput> deviceInputWithDevice(const AVCaptureDevicePtr& device);
    explicit AVCaptureDeviceInput(AVCaptureDevicePtr device);
    const AVCaptureDevicePtr& device() const { return m_device; }
    const AVMediaType& mediaType() const { return AVMediaTypeVideo; }

private:
    AVCaptureDevicePtr m_device;
};

using AVCaptureDeviceInputPtr = std::shared_ptr<AVCaptureDeviceInput>;
