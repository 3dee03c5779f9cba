#include "image/ViewLoadSteps.h"

#include "image/ImageManager.h"
#include "platform/foundation/MainThread.h"

namespace ViewLoadSteps {

std::shared_ptr<ImageOperation> load(const std::shared_ptr<UIView>& view, const NSURL& url, ImageLoadOptions options,
                                     ImageDownloadProgressBlock progress,
                                     std::function<void(UIView&, const UIImagePtr&)> show, ImageViewCompletion completed)
{
    std::weak_ptr<UIView> weak = view;
    return ImageManager::sharedManager()->downloadImageWithURL(
        url, options, std::move(progress),
        [weak, url, show = std::move(show), completed = std::move(completed)](
            UIImagePtr image, NSErrorPtr error, ImageCacheType type, bool finished, const std::optional<NSURL>&) {
            // The manager reports on the main thread.
            auto v = weak.lock();
            if (!v)
                return;
            if (image)
                show(*v, image);
            if (completed && finished)
                completed(image, error, type, url);
        });
}

void onMain(std::function<void()> work)
{
    if (MainThread::isMain())
        work();
    else
        MainThread::async(std::move(work));
}

void reportNilURL(ImageViewCompletion completed)
{
    if (!completed)
        return;
    onMain([completed = std::move(completed)] {
        completed(nullptr, NSError::make(ImageErrorDomain, -1, "Trying to load a nil url"), ImageCacheType::None,
                  std::nullopt);
    });
}

ImageViewCompletion adapted(ImageViewOldCompletion completed)
{
    return [completed = std::move(completed)](UIImagePtr image, NSErrorPtr error, ImageCacheType type,
                                              const std::optional<NSURL>&) {
        if (completed)
            completed(std::move(image), std::move(error), type);
    };
}

} // namespace ViewLoadSteps
