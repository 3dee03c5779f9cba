#pragma once

#include "platform/graphics/UIImage.h"

#include <memory>

// One captured frame as the outputs hand it over.
struct CMSampleBuffer {
    UIImagePtr image;
};

using CMSampleBufferPtr = std::shared_ptr<const CMSampleBuffer>;
