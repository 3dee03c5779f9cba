#pragma once

#include "image/UIImageViewWebCache.h"
#include "platform/ui/UIButton.h"

#include <optional>

// Loading a button's picture, or its background picture, for one control state by URL. Each
// state and kind has one load at a time: a new one cancels the one before, which then changes
// nothing. The placeholder is set at once; a load without a picture leaves the state as it is.
// The URL of the latest picture load of each state is kept (not that of background loads).
void img_setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                         UIImagePtr placeholder = nullptr, ImageLoadOptions options = 0,
                         ImageViewCompletion completed = {});
void img_setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                         ImageViewCompletion completed);
void img_setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                         UIImagePtr placeholder, ImageViewCompletion completed);
void img_setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                                   UIImagePtr placeholder = nullptr, ImageLoadOptions options = 0,
                                   ImageViewCompletion completed = {});
void img_setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                                   ImageViewCompletion completed);
void img_setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                                   UIImagePtr placeholder, ImageViewCompletion completed);

std::optional<NSURL> img_imageURLForState(UIButton& button, unsigned state);
// The URL of the button's current state, else that of the normal state.
std::optional<NSURL> img_currentImageURL(UIButton& button);

void img_setImageLoadOperationForState(UIButton& button, std::shared_ptr<ImageOperation> operation, unsigned state);
void img_setBackgroundImageLoadOperationForState(UIButton& button, std::shared_ptr<ImageOperation> operation,
                                                 unsigned state);
void img_cancelImageLoadForState(UIButton& button, unsigned state);
void img_cancelBackgroundImageLoadForState(UIButton& button, unsigned state);
