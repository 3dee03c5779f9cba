#pragma once

#include "image/UIButtonWebCache.h"
#include "image/ViewLoadSteps.h"

// The older names of the button's loading entries; their completion takes no URL.
std::optional<NSURL> currentImageURL(UIButton& button);
std::optional<NSURL> imageURLForState(UIButton& button, unsigned state);
void setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                     UIImagePtr placeholder = nullptr, ImageLoadOptions options = 0);
void setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                     ImageViewOldCompletion completed);
void setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                     UIImagePtr placeholder, ImageViewOldCompletion completed);
void setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                     UIImagePtr placeholder, ImageLoadOptions options, ImageViewOldCompletion completed);
void setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                               UIImagePtr placeholder = nullptr, ImageLoadOptions options = 0);
void setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                               ImageViewOldCompletion completed);
void setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                               UIImagePtr placeholder, ImageViewOldCompletion completed);
void setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                               UIImagePtr placeholder, ImageLoadOptions options, ImageViewOldCompletion completed);
// Cancels the picture load of the button's current state.
void cancelCurrentImageLoad(UIButton& button);
void cancelBackgroundImageLoadForState(UIButton& button, unsigned state);
