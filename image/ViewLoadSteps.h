#pragma once

#include "image/UIImageViewWebCache.h"

#include <functional>

// The older entries' completion: (picture, error, where it came from), without the URL.
using ImageViewOldCompletion = std::function<void(UIImagePtr, NSErrorPtr, ImageCacheType)>;

// Steps that every view's picture loader takes alike.
namespace ViewLoadSteps {
// Starts the shared manager's load of the URL for the view, which it holds weakly. When the
// load reports and the view still exists, on the main thread, a picture goes to show, and a
// finished report to the completion (a partial picture of a progressive load does not).
std::shared_ptr<ImageOperation> load(const std::shared_ptr<UIView>& view, const NSURL& url, ImageLoadOptions options,
                                     ImageDownloadProgressBlock progress,
                                     std::function<void(UIView&, const UIImagePtr&)> show,
                                     ImageViewCompletion completed);
// Runs the work on the main thread: at once when already there, else on a later pass.
void onMain(std::function<void()> work);
// A load without a URL: the completion, if any, hears the error "Trying to load a nil url"
// (ImageErrorDomain, -1) on the main thread.
void reportNilURL(ImageViewCompletion completed);
// The older completion as the full entry's: always one, calling the caller's if any.
ImageViewCompletion adapted(ImageViewOldCompletion completed);
} // namespace ViewLoadSteps
