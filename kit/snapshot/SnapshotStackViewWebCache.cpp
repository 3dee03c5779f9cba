#include "kit/snapshot/SnapshotStackView.h"

#include "image/ImageManager.h"

// SnapshotStackView, the part that takes its picture from a URL.

void SnapshotStackView::setImageWithURL(const std::optional<NSURL>& url)
{
    // Only the latest address counts: the load waited for until now is let go first.
    if (m_load)
        m_load->cancel();
    m_load = nullptr;
    if (!url)
        return;
    const std::weak_ptr<UIView> weak = weak_from_this();
    m_load = ImageManager::sharedManager()->downloadImageWithURL(
        *url, 0, {}, [weak](UIImagePtr image, NSErrorPtr, ImageCacheType, bool finished, const std::optional<NSURL>&) {
            auto view = std::static_pointer_cast<SnapshotStackView>(weak.lock());
            if (view && finished && image)
                view->webImageManagerDidFinishWithImage(*ImageManager::sharedManager(), image);
        });
}

void SnapshotStackView::webImageManagerDidFinishWithImage(ImageManager&, const UIImagePtr& image)
{
    setImage(image->size().height > 0 ? image : m_defaultImage);
    setNeedsLayout();
}
