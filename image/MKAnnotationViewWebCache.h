#pragma once

#include "image/UIImageViewWebCache.h"
#include "image/ViewLoadSteps.h"
#include "platform/ui/MKAnnotationView.h"

// Loading a map marker's picture by URL: the placeholder at once, the picture when it arrives;
// a new load cancels the one before it. A load without a picture leaves the placeholder.
void img_setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url,
                         UIImagePtr placeholder = nullptr, ImageLoadOptions options = 0,
                         ImageViewCompletion completed = {});
void img_setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, ImageViewCompletion completed);
void img_setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                         ImageViewCompletion completed);
std::optional<NSURL> img_imageURL(MKAnnotationView& view);
void img_cancelCurrentImageLoad(MKAnnotationView& view);

// The older names; their completion takes no URL.
std::optional<NSURL> imageURL(MKAnnotationView& view);
void setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder = nullptr,
                     ImageLoadOptions options = 0);
void setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url,
                     ImageViewOldCompletion completed);
void setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageViewOldCompletion completed);
void setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageLoadOptions options, ImageViewOldCompletion completed);
void cancelCurrentImageLoad(MKAnnotationView& view);
