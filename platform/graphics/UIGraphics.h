#pragma once

#include "platform/graphics/CGContext.h"

#include <memory>

// The stack of current graphics contexts, one stack per thread. Drawing code (a view's drawRect,
// string and picture drawing) draws into the top one.

std::shared_ptr<CGContext> UIGraphicsGetCurrentContext();
void UIGraphicsPushContext(std::shared_ptr<CGContext> context);
// Pops a context pushed with UIGraphicsPushContext; never an image context.
void UIGraphicsPopContext();

// Begins an offscreen picture of size points at scale pixels per point (0: the main screen's
// scale) and makes it current. A size that cannot be drawn (empty, not finite, too many pixels)
// still begins a context, an inert one, so that the matching end stays balanced; drawing into
// it does nothing and it yields no picture.
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, double scale);
void UIGraphicsBeginImageContext(CGSize size);
// Null unless the current context is an image context with a picture.
std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext();
// Ends the current image context; does nothing when the current context is not one.
void UIGraphicsEndImageContext();
