#pragma once

#include "image/UIImageViewWebCache.h"
#include "image/ViewLoadSteps.h"

// The older names of the image view's loading entries. Their completion takes no URL; when a
// caller uses one of the completion forms, an adapted completion is always passed on, so the
// full entry sees one even when the caller's is empty.

std::optional<NSURL> imageURL(UIImageView& view);
void setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder = nullptr,
                     ImageLoadOptions options = 0);
void setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, ImageViewOldCompletion completed);
void setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageViewOldCompletion completed);
void setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageLoadOptions options, ImageViewOldCompletion completed);
void setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageLoadOptions options, ImageDownloadProgressBlock progress, ImageViewOldCompletion completed);
void cancelCurrentImageLoad(UIImageView& view);
void cancelCurrentArrayLoad(UIImageView& view);
void setAnimationImagesWithURLs(const UIImageViewPtr& view, const std::vector<std::optional<NSURL>>& urls);
