#include "image/UIImageViewWebCacheDeprecated.h"

using ViewLoadSteps::adapted;

std::optional<NSURL> imageURL(UIImageView& view)
{
    return img_imageURL(view);
}

void setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageLoadOptions options)
{
    img_setImageWithURL(view, url, std::move(placeholder), options, {}, {});
}

void setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, ImageViewOldCompletion completed)
{
    img_setImageWithURL(view, url, nullptr, 0, {}, adapted(std::move(completed)));
}

void setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageViewOldCompletion completed)
{
    img_setImageWithURL(view, url, std::move(placeholder), 0, {}, adapted(std::move(completed)));
}

void setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageLoadOptions options, ImageViewOldCompletion completed)
{
    img_setImageWithURL(view, url, std::move(placeholder), options, {}, adapted(std::move(completed)));
}

void setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageLoadOptions options, ImageDownloadProgressBlock progress, ImageViewOldCompletion completed)
{
    img_setImageWithURL(view, url, std::move(placeholder), options, std::move(progress), adapted(std::move(completed)));
}

void cancelCurrentImageLoad(UIImageView& view)
{
    img_cancelCurrentImageLoad(view);
}

void cancelCurrentArrayLoad(UIImageView& view)
{
    img_cancelCurrentAnimationImagesLoad(view);
}

void setAnimationImagesWithURLs(const UIImageViewPtr& view, const std::vector<std::optional<NSURL>>& urls)
{
    img_setAnimationImagesWithURLs(view, urls);
}
