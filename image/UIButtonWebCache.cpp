#include "image/UIButtonWebCache.h"

#include "image/ViewLoadSteps.h"
#include "image/UIViewWebCacheOperation.h"

#include <map>

namespace {

const char urlsKey = 0;
using StateURLs = std::map<unsigned, NSURL>;

StateURLs& urlsOf(UIButton& button)
{
    return button.associatedObjectOfType<StateURLs>(&urlsKey);
}

std::string imageKey(unsigned state)
{
    return "UIButtonImageOperation" + std::to_string(state);
}

std::string backgroundKey(unsigned state)
{
    return "UIButtonBackgroundImageOperation" + std::to_string(state);
}

enum class Kind { Image, Background };

// The load itself, once the placeholder is up and the state's earlier load cancelled.
void load(const UIButtonPtr& button, const NSURL& url, unsigned state, Kind kind, ImageLoadOptions options,
          ImageViewCompletion completed)
{
    auto operation = ViewLoadSteps::load(
        button, url, options, {},
        [state, kind](UIView& view, const UIImagePtr& image) {
            auto& b = static_cast<UIButton&>(view);
            if (kind == Kind::Image)
                b.setImage(image, state);
            else
                b.setBackgroundImage(image, state);
        },
        std::move(completed));
    if (kind == Kind::Image)
        img_setImageLoadOperationForState(*button, operation, state);
    else
        img_setBackgroundImageLoadOperationForState(*button, operation, state);
}

} // namespace

void img_setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                         UIImagePtr placeholder, ImageLoadOptions options, ImageViewCompletion completed)
{
    button->setImage(std::move(placeholder), state);
    img_cancelImageLoadForState(*button, state);
    if (!url) {
        urlsOf(*button).erase(state);
        ViewLoadSteps::reportNilURL(std::move(completed));
        return;
    }
    urlsOf(*button).insert_or_assign(state, *url);
    load(button, *url, state, Kind::Image, options, std::move(completed));
}

void img_setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                         ImageViewCompletion completed)
{
    img_setImageWithURL(button, url, state, nullptr, 0, std::move(completed));
}

void img_setImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                         UIImagePtr placeholder, ImageViewCompletion completed)
{
    img_setImageWithURL(button, url, state, std::move(placeholder), 0, std::move(completed));
}

void img_setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                                   UIImagePtr placeholder, ImageLoadOptions options, ImageViewCompletion completed)
{
    img_cancelBackgroundImageLoadForState(*button, state);
    button->setBackgroundImage(std::move(placeholder), state);
    if (!url) {
        ViewLoadSteps::reportNilURL(std::move(completed));
        return;
    }
    load(button, *url, state, Kind::Background, options, std::move(completed));
}

void img_setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                                   ImageViewCompletion completed)
{
    img_setBackgroundImageWithURL(button, url, state, nullptr, 0, std::move(completed));
}

void img_setBackgroundImageWithURL(const UIButtonPtr& button, const std::optional<NSURL>& url, unsigned state,
                                   UIImagePtr placeholder, ImageViewCompletion completed)
{
    img_setBackgroundImageWithURL(button, url, state, std::move(placeholder), 0, std::move(completed));
}

std::optional<NSURL> img_imageURLForState(UIButton& button, unsigned state)
{
    const auto& urls = urlsOf(button);
    const auto it = urls.find(state);
    return it == urls.end() ? std::nullopt : std::optional<NSURL>(it->second);
}

std::optional<NSURL> img_currentImageURL(UIButton& button)
{
    auto url = img_imageURLForState(button, button.state());
    return url ? url : img_imageURLForState(button, UIControlStateNormal);
}

void img_setImageLoadOperationForState(UIButton& button, std::shared_ptr<ImageOperation> operation, unsigned state)
{
    img_setImageLoadOperation(button, std::move(operation), imageKey(state));
}

void img_setBackgroundImageLoadOperationForState(UIButton& button, std::shared_ptr<ImageOperation> operation,
                                                 unsigned state)
{
    img_setImageLoadOperation(button, std::move(operation), backgroundKey(state));
}

void img_cancelImageLoadForState(UIButton& button, unsigned state)
{
    img_cancelImageLoadOperationWithKey(button, imageKey(state));
}

void img_cancelBackgroundImageLoadForState(UIButton& button, unsigned state)
{
    img_cancelImageLoadOperationWithKey(button, backgroundKey(state));
}
