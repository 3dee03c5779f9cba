#include "platform/capture/AVCaptureDeviceInput.h"

std::shared_ptr<AVCaptureDeviceInput> AVCaptureDeviceInput::deviceInputWithDevice(const AVCaptureDevicePtr& device)
{
    if (!device || !AVCaptureDevice::grantsFrames(AVCaptureDevice::authorizationStatusForMediaType(AVMediaTypeVideo)))
        return nullptr;
    return std::make_shared<AVCaptureDeviceInput>(device);
}

AVCaptureDeviceInput::AVCaptureDeviceInput(AVCaptureDevicePtr device)
    : m_device(std::move(device))
{
}
