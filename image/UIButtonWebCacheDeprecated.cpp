#include "image/UIButtonWebCacheDeprecated.h"

using ViewLoadSteps::adapted;

std::optional<NSURL> currentImageURL(UIButton& button)
{
    return img_currentImageURL(button);
}

std::optional<NSURL> imageURLForState(UIButton& button, unsigned state)
{
    return img_imageURLForState(button, state);
}

void setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state, UIImagePtr placeholder,
                     ImageLoadOptions options)
{
    img_setImageWithURL(button, url, state, std::move(placeholder), options, ImageViewCompletion {});
}

void setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state, ImageViewOldCompletion completed)
{
    img_setImageWithURL(button, url, state, nullptr, 0, adapted(std::move(completed)));
}

void setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state, UIImagePtr placeholder,
                     ImageViewOldCompletion completed)
{
    img_setImageWithURL(button, url, state, std::move(placeholder), 0, adapted(std::move(completed)));
}

void setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state, UIImagePtr placeholder,
                     ImageLoadOptions options, ImageViewOldCompletion completed)
{
    img_setImageWithURL(button, url, state, std::move(placeholder), options, adapted(std::move(completed)));
}

void setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                               UIImagePtr placeholder, ImageLoadOptions options)
{
    img_setBackgroundImageWithURL(button, url, state, std::move(placeholder), options, ImageViewCompletion {});
}

void setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                               ImageViewOldCompletion completed)
{
    img_setBackgroundImageWithURL(button, url, state, nullptr, 0, adapted(std::move(completed)));
}

void setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                               UIImagePtr placeholder, ImageViewOldCompletion completed)
{
    img_setBackgroundImageWithURL(button, url, state, std::move(placeholder), 0, adapted(std::move(completed)));
}

void setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                               UIImagePtr placeholder, ImageLoadOptions options, ImageViewOldCompletion completed)
{
    img_setBackgroundImageWithURL(button, url, state, std::move(placeholder), options, adapted(std::move(completed)));
}

void cancelCurrentImageLoad(UIButton& button)
{
    img_cancelImageLoadForState(button, button.state());
}

void cancelBackgroundImageLoadForState(UIButton& button, unsigned state)
{
    img_cancelBackgroundImageLoadForState(button, state);
}
