#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"

#include <memory>

// The shadow of drawn text: colour (none: no shadow), offset and blur.
struct NSShadow {
    UIColorPtr shadowColor;
    CGSize shadowOffset;
    CGFloat shadowBlurRadius = 0;
};

using NSShadowPtr = std::shared_ptr<NSShadow>;
