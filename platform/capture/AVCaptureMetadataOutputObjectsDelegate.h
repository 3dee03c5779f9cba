#pragma once

#include "platform/capture/AVCaptureConnection.h"
#include "platform/capture/AVMetadataObject.h"

#include <vector>

class AVCaptureOutput;

// Hears the codes a metadata output recognised, one batch per frame that held any.
class AVCaptureMetadataOutputObjectsDelegate {
public:
    virtual ~AVCaptureMetadataOutputObjectsDelegate() = default;
    virtual void captureOutput(AVCaptureOutput& output, const std::vector<AVMetadataObjectPtr>& metadataObjects,
                               const AVCaptureConnection* connection) = 0;
};
