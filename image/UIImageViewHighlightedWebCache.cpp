#include "image/UIImageViewHighlightedWebCache.h"

#include "image/UIViewWebCacheOperation.h"

namespace {
const std::string HighlightedImageKey = "highlightedImage";
} // namespace

using ViewLoadSteps::adapted;

void img_setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url,
                                    ImageLoadOptions options, ImageDownloadProgressBlock progress,
                                    ImageViewCompletion completed)
{
    img_cancelCurrentHighlightedImageLoad(*view);
    if (!url) {
        ViewLoadSteps::reportNilURL(std::move(completed));
        return;
    }
    auto operation = ViewLoadSteps::load(
        view, *url, options, std::move(progress),
        [](UIView& v, const UIImagePtr& image) {
            static_cast<UIImageView&>(v).setHighlightedImage(image);
            v.setNeedsLayout();
        },
        std::move(completed));
    img_setImageLoadOperation(*view, operation, HighlightedImageKey);
}

void img_setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url,
                                    ImageViewCompletion completed)
{
    img_setHighlightedImageWithURL(view, url, 0, {}, std::move(completed));
}

void img_setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url,
                                    ImageLoadOptions options, ImageViewCompletion completed)
{
    img_setHighlightedImageWithURL(view, url, options, {}, std::move(completed));
}

void img_cancelCurrentHighlightedImageLoad(UIImageView& view)
{
    img_cancelImageLoadOperationWithKey(view, HighlightedImageKey);
}

void setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, ImageLoadOptions options)
{
    img_setHighlightedImageWithURL(view, url, options, {}, ImageViewCompletion {});
}

void setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, ImageViewOldCompletion completed)
{
    img_setHighlightedImageWithURL(view, url, 0, {}, adapted(std::move(completed)));
}

void setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, ImageLoadOptions options,
                                ImageViewOldCompletion completed)
{
    img_setHighlightedImageWithURL(view, url, options, {}, adapted(std::move(completed)));
}

void setHighlightedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, ImageLoadOptions options,
                                ImageDownloadProgressBlock progress, ImageViewOldCompletion completed)
{
    img_setHighlightedImageWithURL(view, url, options, std::move(progress), adapted(std::move(completed)));
}

void cancelCurrentHighlightedImageLoad(UIImageView& view)
{
    img_cancelCurrentHighlightedImageLoad(view);
}
