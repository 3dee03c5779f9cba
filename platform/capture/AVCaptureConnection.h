#pragma once

#include "platform/capture/AVMediaType.h"

#include <memory>
#include <vector>

// The link from a session's inputs to one output: the media types of the input ports it carries.
struct AVCaptureConnection {
    std::vector<AVMediaType> inputPortMediaTypes;
};

using AVCaptureConnectionPtr = std::shared_ptr<AVCaptureConnection>;
