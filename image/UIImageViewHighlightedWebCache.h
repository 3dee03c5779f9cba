#pragma once

#include "image/UIImageViewWebCache.h"
#include "image/ViewLoadSteps.h"

// Loading the picture an image view shows while highlighted, by URL. It runs beside the view's
// own picture load, and a new highlighted load cancels only the one before it. There is no
// placeholder and no spinner; a load without a picture leaves the highlighted picture as it was.
void img_setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url,
                                    ImageLoadOptions options = 0, ImageDownloadProgressBlock progress = {},
                                    ImageViewCompletion completed = {});
void img_setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url,
                                    ImageViewCompletion completed);
void img_setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url,
                                    ImageLoadOptions options, ImageViewCompletion completed);
void img_cancelCurrentHighlightedImageLoad(UIImageView& view);

// The older names; their completion takes no URL.
void setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, ImageLoadOptions options = 0);
void setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url,
                                ImageViewOldCompletion completed);
void setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, ImageLoadOptions options,
                                ImageViewOldCompletion completed);
void setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, ImageLoadOptions options,
                                ImageDownloadProgressBlock progress, ImageViewOldCompletion completed);
void cancelCurrentHighlightedImageLoad(UIImageView& view);
