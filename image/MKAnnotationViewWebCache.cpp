#include "image/MKAnnotationViewWebCache.h"

#include "image/UIViewWebCacheOperation.h"

namespace {
const std::string AnnotationImageKey = "MKAnnotationViewImage";
const char urlKey = 0;

std::optional<NSURL>& urlSlot(MKAnnotationView& view)
{
    return view.associatedObjectOfType<std::optional<NSURL>>(&urlKey);
}
} // namespace

using ViewLoadSteps::adapted;

void img_setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                         ImageLoadOptions options, ImageViewCompletion completed)
{
    img_cancelCurrentImageLoad(*view);
    urlSlot(*view) = url;
    view->setImage(std::move(placeholder));
    if (!url) {
        ViewLoadSteps::reportNilURL(std::move(completed));
        return;
    }
    auto operation = ViewLoadSteps::load(
        view, *url, options, {},
        [](UIView& v, const UIImagePtr& image) { static_cast<MKAnnotationView&>(v).setImage(image); },
        std::move(completed));
    img_setImageLoadOperation(*view, operation, AnnotationImageKey);
}

void img_setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, ImageViewCompletion completed)
{
    img_setImageWithURL(view, url, nullptr, 0, std::move(completed));
}

void img_setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                         ImageViewCompletion completed)
{
    img_setImageWithURL(view, url, std::move(placeholder), 0, std::move(completed));
}

std::optional<NSURL> img_imageURL(MKAnnotationView& view)
{
    return urlSlot(view);
}

void img_cancelCurrentImageLoad(MKAnnotationView& view)
{
    img_cancelImageLoadOperationWithKey(view, AnnotationImageKey);
}

std::optional<NSURL> imageURL(MKAnnotationView& view)
{
    return img_imageURL(view);
}

void setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageLoadOptions options)
{
    img_setImageWithURL(view, url, std::move(placeholder), options, ImageViewCompletion {});
}

void setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, ImageViewOldCompletion completed)
{
    img_setImageWithURL(view, url, nullptr, 0, adapted(std::move(completed)));
}

void setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageViewOldCompletion completed)
{
    img_setImageWithURL(view, url, std::move(placeholder), 0, adapted(std::move(completed)));
}

void setImageWithURL(const MKAnnotationViewPtr& view, const std::optional<NSURL>& url, UIImagePtr placeholder,
                     ImageLoadOptions options, ImageViewOldCompletion completed)
{
    img_setImageWithURL(view, url, std::move(placeholder), options, adapted(std::move(completed)));
}

void cancelCurrentImageLoad(MKAnnotationView& view)
{
    img_cancelCurrentImageLoad(view);
}
