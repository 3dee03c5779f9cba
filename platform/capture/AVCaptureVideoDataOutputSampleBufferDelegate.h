#pragma once

#include "platform/capture/AVCaptureConnection.h"
#include "platform/capture/CMSampleBuffer.h"

class AVCaptureOutput;

// Hears every frame of a video data output, on the output's capture thread.
class AVCaptureVideoDataOutputSampleBufferDelegate {
public:
    virtual ~AVCaptureVideoDataOutputSampleBufferDelegate() = default;
    virtual void captureOutput(AVCaptureOutput& output, const CMSampleBufferPtr& sampleBuffer,
                               const AVCaptureConnection* connection) = 0;
};
