#include "platform/ui/UIImageView.h"
#include "platform/ui/ViewFingerprint.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/ui/InterfaceProperty.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<UIImageView> UIImageView::create(const CGRect& frame)
{
    return std::make_shared<UIImageView>(frame);
}

std::shared_ptr<UIImageView> UIImageView::createWithImage(UIImagePtr image)
{
    const CGSize size = image ? image->size() : CGSizeZero;
    auto view = create(CGRectMake(0, 0, size.width, size.height));
    view->setImage(std::move(image));
    return view;
}

UIImageView::UIImageView(const CGRect& frame)
    : UIView(frame)
{
    setUserInteractionEnabled(false);
    setOpaque(false);
}

void UIImageView::setImage(UIImagePtr image)
{
    m_image = std::move(image);
    setNeedsDisplayKeepingStamp();
}

void UIImageView::setHighlightedImage(UIImagePtr image)
{
    m_highlightedImage = std::move(image);
    setNeedsDisplayKeepingStamp();
}

void UIImageView::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    setNeedsDisplayKeepingStamp();
}

UIImagePtr UIImageView::currentImage() const
{
    if (m_animating && !m_animationImages.empty()) {
        const double count = static_cast<double>(m_animationImages.size());
        const double duration = m_animationDuration > 0 ? m_animationDuration : count / 30.0;
        const double elapsed = std::max(0.0, RunLoop::main().now() - m_animationStart);
        const auto index = static_cast<std::size_t>(std::fmod(elapsed, duration) / duration * count);
        return m_animationImages[std::min(index, m_animationImages.size() - 1)];
    }
    return m_highlighted && m_highlightedImage ? m_highlightedImage : m_image;
}

void UIImageView::setAnimationImages(std::vector<UIImagePtr> images)
{
    std::erase(images, nullptr);
    m_animationImages = std::move(images);
    if (m_animationImages.empty())
        m_animating = false;
    setNeedsDisplayKeepingStamp();
}

void UIImageView::startAnimating()
{
    if (m_animationImages.empty() || m_animating)
        return;
    m_animating = true;
    m_animationStart = RunLoop::main().now();
    setNeedsDisplayKeepingStamp();
}

void UIImageView::stopAnimating()
{
    m_animating = false;
    setNeedsDisplayKeepingStamp();
}

// The picture shown now: a running animation shows its frames in turn without asking for redraws.
void UIImageView::addDrawnContent(ViewFingerprint& f) const
{
    f.add(currentImage());
}

CGSize UIImageView::sizeThatFits(CGSize) const
{
    const auto image = currentImage();
    return image ? image->size() : CGSizeZero;
}

CGRect UIImageView::imageRect() const
{
    const auto image = currentImage();
    const CGRect b = bounds();
    if (!image)
        return CGRectZero;
    const CGSize s = image->size();
    if (s.width <= 0 || s.height <= 0)
        return CGRectZero;
    const double fitScale = std::min(b.size.width / s.width, b.size.height / s.height);
    const double fillScale = std::max(b.size.width / s.width, b.size.height / s.height);
    const auto centred = [&](double w, double h) {
        return CGRectMake(b.origin.x + (b.size.width - w) / 2, b.origin.y + (b.size.height - h) / 2, w, h);
    };
    const double left = b.origin.x, top = b.origin.y;
    const double right = b.origin.x + b.size.width - s.width, bottom = b.origin.y + b.size.height - s.height;
    const double midX = b.origin.x + (b.size.width - s.width) / 2, midY = b.origin.y + (b.size.height - s.height) / 2;
    switch (contentMode()) {
    case UIViewContentMode::ScaleAspectFit:
        return centred(s.width * fitScale, s.height * fitScale);
    case UIViewContentMode::ScaleAspectFill:
        return centred(s.width * fillScale, s.height * fillScale);
    case UIViewContentMode::Center:
        return CGRectMake(midX, midY, s.width, s.height);
    case UIViewContentMode::Top:
        return CGRectMake(midX, top, s.width, s.height);
    case UIViewContentMode::Bottom:
        return CGRectMake(midX, bottom, s.width, s.height);
    case UIViewContentMode::Left:
        return CGRectMake(left, midY, s.width, s.height);
    case UIViewContentMode::Right:
        return CGRectMake(right, midY, s.width, s.height);
    case UIViewContentMode::TopLeft:
        return CGRectMake(left, top, s.width, s.height);
    case UIViewContentMode::TopRight:
        return CGRectMake(right, top, s.width, s.height);
    case UIViewContentMode::BottomLeft:
        return CGRectMake(left, bottom, s.width, s.height);
    case UIViewContentMode::BottomRight:
        return CGRectMake(right, bottom, s.width, s.height);
    case UIViewContentMode::ScaleToFill:
    case UIViewContentMode::Redraw:
        break;
    }
    return b;
}

void UIImageView::drawRect(const CGRect&)
{
    if (const auto image = currentImage())
        image->drawInRect(imageRect());
}

void UIImageView::registerInterfaceClass(InterfaceRegistry& r)
{
    using namespace InterfaceProperty;
    r.registerViewClass<UIImageView>("UIImageView", "UIView")
        .property("image", prop<UIImageView>(asImage, [](UIImageView& v, const UIImagePtr& i) { v.setImage(i); }))
        .property("highlightedImage",
                  prop<UIImageView>(asImage, [](UIImageView& v, const UIImagePtr& i) { v.setHighlightedImage(i); }));
}
