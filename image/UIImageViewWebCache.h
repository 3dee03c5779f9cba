#pragma once

#include "image/ImageDownloaderOperation.h"
#include "image/ImageOptions.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSURL.h"
#include "platform/ui/UIActivityIndicatorView.h"
#include "platform/ui/UIImageView.h"

#include <functional>
#include <optional>
#include <vector>

// (picture, error, where it came from, the URL asked for).
using ImageViewCompletion = std::function<void(UIImagePtr, NSErrorPtr, ImageCacheType, const std::optional<NSURL>&)>;

// Loading an image view's picture by URL: the placeholder at once (unless delayed), the picture
// when it arrives, all on the main thread. A new load cancels the view's running one, which then
// changes nothing. Loads hold the view weakly: a view that goes away hears nothing.
void img_setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder = nullptr,
                         ImageLoadOptions options = 0, ImageDownloadProgressBlock progress = {},
                         ImageViewCompletion completed = {});
void img_setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, ImageViewCompletion completed);
void img_setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                         ImageViewCompletion completed);
void img_setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                         ImageLoadOptions options, ImageViewCompletion completed);
// The full entry with the cached picture of the URL (memory, then disk) as placeholder, if any.
void img_setImageWithPreviousCachedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url,
                                                UIImagePtr placeholder, ImageLoadOptions options,
                                                ImageDownloadProgressBlock progress, ImageViewCompletion completed);
std::optional<NSURL> img_imageURL(UIImageView& view);
// Loads every URL and shows the pictures as the view's animation, in the order they arrive.
void img_setAnimationImagesWithURLs(const UIImageViewPtr& view, const std::vector<std::optional<NSURL>>& urls);
void img_cancelCurrentImageLoad(UIImageView& view);
void img_cancelCurrentAnimationImagesLoad(UIImageView& view);

// The spinner shown while a load runs.
bool showActivityIndicatorView(UIImageView& view);
void setShowActivityIndicatorView(UIImageView& view, bool show);
int getIndicatorStyle(UIImageView& view);
void setIndicatorStyle(UIImageView& view, int style);
UIActivityIndicatorViewPtr activityIndicator(UIImageView& view);
void setActivityIndicator(UIImageView& view, UIActivityIndicatorViewPtr indicator);
void addActivityIndicator(UIImageView& view);
void removeActivityIndicator(UIImageView& view);
