#include "image/UIImageViewWebCache.h"

#include "image/ImageManager.h"
#include "image/UIViewWebCacheOperation.h"
#include "image/ViewLoadSteps.h"

namespace {

const char stateKey = 0;
const std::string ImageLoadKey = "UIImageViewImageLoad";
const std::string AnimationImagesKey = "UIImageViewAnimationImages";

// The view's slots, kept with the view for its lifetime.
struct ViewLoadState {
    std::optional<NSURL> imageURL;
    UIActivityIndicatorViewPtr indicator;
    bool showIndicator = false;
    int indicatorStyle = 0;
};

ViewLoadState& stateOf(UIView& view)
{
    return view.associatedObjectOfType<ViewLoadState>(&stateKey);
}

// What the view shows when the manager reports; runs on the main thread.
void applyReport(UIImageView& view, const UIImagePtr& image, const NSErrorPtr& error, ImageCacheType type,
                 bool finished, const std::optional<NSURL>& url, const UIImagePtr& placeholder, ImageLoadOptions options,
                 const ImageViewCompletion& completed)
{
    if (image && (options & ImageLoadAvoidAutoSetImage) && completed) {
        completed(image, error, type, url);
        return;
    }
    if (image) {
        view.setImage(image);
        view.setNeedsLayout();
    } else if (options & ImageLoadDelayPlaceholder) {
        view.setImage(placeholder);
        view.setNeedsLayout();
    }
    if (completed && finished)
        completed(image, error, type, url);
}

} // namespace

void img_setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                         ImageLoadOptions options, ImageDownloadProgressBlock progress, ImageViewCompletion completed)
{
    img_cancelCurrentImageLoad(*view);
    stateOf(*view).imageURL = url;
    std::weak_ptr<UIImageView> weak = view;
    if (!(options & ImageLoadDelayPlaceholder)) {
        ViewLoadSteps::onMain([weak, placeholder] {
            if (auto v = weak.lock())
                v->setImage(placeholder);
        });
    }
    if (!url) {
        ViewLoadSteps::onMain([weak] {
            if (auto v = weak.lock())
                removeActivityIndicator(*v);
        });
        ViewLoadSteps::reportNilURL(std::move(completed));
        return;
    }
    if (showActivityIndicatorView(*view))
        addActivityIndicator(*view);
    auto operation = ImageManager::sharedManager()->downloadImageWithURL(
        *url, options, std::move(progress),
        [weak, placeholder, options, completed, url](UIImagePtr image, NSErrorPtr error, ImageCacheType type, bool finished,
                                                     const std::optional<NSURL>&) {
            auto v = weak.lock();
            if (!v)
                return;
            removeActivityIndicator(*v);
            applyReport(*v, image, error, type, finished, url, placeholder, options, completed);
        });
    img_setImageLoadOperation(*view, std::shared_ptr<ImageOperation>(operation), ImageLoadKey);
}

void img_setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, ImageViewCompletion completed)
{
    img_setImageWithURL(view, url, nullptr, 0, {}, std::move(completed));
}

void img_setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                         ImageViewCompletion completed)
{
    img_setImageWithURL(view, url, std::move(placeholder), 0, {}, std::move(completed));
}

void img_setImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                         ImageLoadOptions options, ImageViewCompletion completed)
{
    img_setImageWithURL(view, url, std::move(placeholder), options, {}, std::move(completed));
}

void img_setImageWithPreviousCachedImageWithURL(const UIImageViewPtr& view, const std::optional<NSURL>& url,
                                                UIImagePtr placeholder, ImageLoadOptions options,
                                                ImageDownloadProgressBlock progress, ImageViewCompletion completed)
{
    const auto manager = ImageManager::sharedManager();
    auto cached = manager->imageCache()->imageFromDiskCacheForKey(manager->cacheKeyForURL(url));
    img_setImageWithURL(view, url, cached ? cached : std::move(placeholder), options, std::move(progress),
                        std::move(completed));
}

std::optional<NSURL> img_imageURL(UIImageView& view)
{
    return stateOf(view).imageURL;
}

void img_setAnimationImagesWithURLs(const UIImageViewPtr& view, const std::vector<std::optional<NSURL>>& urls)
{
    img_cancelCurrentAnimationImagesLoad(*view);
    std::weak_ptr<UIImageView> weak = view;
    std::vector<std::shared_ptr<ImageOperation>> operations;
    for (const auto& url : urls) {
        const ImageManager::URLArgument argument = url ? ImageManager::URLArgument(*url) : ImageManager::URLArgument();
        operations.push_back(ImageManager::sharedManager()->downloadImageWithURL(
            argument, 0, {}, [weak](UIImagePtr image, NSErrorPtr, ImageCacheType, bool, const std::optional<NSURL>&) {
                auto v = weak.lock();
                if (!v)
                    return;
                v->stopAnimating();
                if (image) {
                    auto frames = v->animationImages();
                    frames.push_back(image);
                    v->setAnimationImages(std::move(frames));
                    v->setNeedsLayout();
                }
                v->startAnimating();
            }));
    }
    img_setImageLoadOperation(*view, std::move(operations), AnimationImagesKey);
}

void img_cancelCurrentImageLoad(UIImageView& view)
{
    img_cancelImageLoadOperationWithKey(view, ImageLoadKey);
}

void img_cancelCurrentAnimationImagesLoad(UIImageView& view)
{
    img_cancelImageLoadOperationWithKey(view, AnimationImagesKey);
}

bool showActivityIndicatorView(UIImageView& view)
{
    return stateOf(view).showIndicator;
}

void setShowActivityIndicatorView(UIImageView& view, bool show)
{
    stateOf(view).showIndicator = show;
}

int getIndicatorStyle(UIImageView& view)
{
    return stateOf(view).indicatorStyle;
}

void setIndicatorStyle(UIImageView& view, int style)
{
    stateOf(view).indicatorStyle = style;
}

UIActivityIndicatorViewPtr activityIndicator(UIImageView& view)
{
    return stateOf(view).indicator;
}

void setActivityIndicator(UIImageView& view, UIActivityIndicatorViewPtr indicator)
{
    stateOf(view).indicator = std::move(indicator);
}

void addActivityIndicator(UIImageView& view)
{
    auto& state = stateOf(view);
    auto indicator = state.indicator;
    if (!indicator) {
        indicator = UIActivityIndicatorView::create(static_cast<UIActivityIndicatorViewStyle>(state.indicatorStyle));
        // Centred in the view, and kept there when the view changes size.
        indicator->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin
                                       | UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
        state.indicator = indicator;
        // Views change on the main thread only; a load that reported first has taken the spinner off.
        ViewLoadSteps::onMain([weak = view.weak_from_this(), indicator] {
            const auto v = weak.lock();
            if (!v || stateOf(*v).indicator != indicator)
                return;
            const CGRect b = v->bounds();
            indicator->setCenter(CGPointMake(b.origin.x + b.size.width / 2, b.origin.y + b.size.height / 2));
            v->addSubview(indicator);
        });
    }
    ViewLoadSteps::onMain([indicator] { indicator->startAnimating(); });
}

void removeActivityIndicator(UIImageView& view)
{
    auto& state = stateOf(view);
    if (!state.indicator)
        return;
    state.indicator->removeFromSuperview();
    state.indicator.reset();
}
