#pragma once

#include "platform/capture/CodeReader.h"
#include "platform/graphics/UIImage.h"

class ScanZXCapture;

// What the second engine's capture reports, on the main run loop.
class ScanZXCaptureDelegate {
public:
    virtual ~ScanZXCaptureDelegate() = default;
    virtual void captureResult(ScanZXCapture& capture, const DecodedCode& result, const UIImagePtr& scanImage) = 0;
    // Never sent.
    virtual void ScanCaptureSize(ScanZXCapture&, double /*width*/, double /*height*/) {}
    virtual void ScanCaptureCameraIsReady(ScanZXCapture&) {}
};
