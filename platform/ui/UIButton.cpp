#include "platform/ui/UIButton.h"
#include "platform/ui/ViewFingerprint.h"

#include "platform/ui/InterfaceProperty.h"

#include "platform/graphics/TextMetric.h"

#include <algorithm>

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type)
{
    return std::make_shared<UIButton>(CGRectZero, type);
}

std::shared_ptr<UIButton> UIButton::create(const CGRect& frame)
{
    return std::make_shared<UIButton>(frame, UIButtonType::Custom);
}

UIButton::UIButton(const CGRect& frame, UIButtonType type)
    : UIControl(frame)
    , m_type(type)
    , m_titleLabel(UILabel::create())
    , m_imageView(UIImageView::create())
{
    m_titleLabel->setFont(UIFont::systemFontOfSize(15));
    m_titleLabel->setTextAlignment(NSTextAlignment::Center);
    m_titleLabel->setLineBreakMode(NSLineBreakMode::ByTruncatingMiddle);
    m_titleColors[UIControlStateNormal]
        = type == UIButtonType::Custom ? UIColor::whiteColor() : UIColor::colorWithRed(0, 0.478, 1, 1);
    m_titleColors[UIControlStateDisabled] = UIColor::colorWithWhite(0.5, 1);
    m_imageView->setContentMode(UIViewContentMode::Center);
    addSubview(m_imageView);
    addSubview(m_titleLabel);
    setOpaque(false);
    stateDidChange();
}

template <class T>
T UIButton::lookup(const std::map<unsigned, T>& values, unsigned state)
{
    if (auto it = values.find(state); it != values.end())
        return it->second;
    // Combined states fall back to the single state that matters most, then to normal.
    for (unsigned single : {UIControlStateDisabled, UIControlStateSelected, UIControlStateHighlighted}) {
        if (state & single) {
            if (auto it = values.find(single); it != values.end())
                return it->second;
        }
    }
    if (auto it = values.find(UIControlStateNormal); it != values.end())
        return it->second;
    return T {};
}

void UIButton::setTitle(std::string title, unsigned forState)
{
    m_titles[forState] = std::move(title);
    stateDidChange();
}

std::string UIButton::titleForState(unsigned forState) const { return lookup(m_titles, forState); }

void UIButton::setTitleColor(UIColorPtr color, unsigned forState)
{
    m_titleColors[forState] = std::move(color);
    stateDidChange();
}

UIColorPtr UIButton::titleColorForState(unsigned forState) const { return lookup(m_titleColors, forState); }

void UIButton::setImage(UIImagePtr image, unsigned forState)
{
    m_images[forState] = std::move(image);
    stateDidChange();
}

UIImagePtr UIButton::imageForState(unsigned forState) const { return lookup(m_images, forState); }

void UIButton::setBackgroundImage(UIImagePtr image, unsigned forState)
{
    m_backgroundImages[forState] = std::move(image);
    stateDidChange();
}

UIImagePtr UIButton::backgroundImageForState(unsigned forState) const { return lookup(m_backgroundImages, forState); }

void UIButton::setContentEdgeInsets(UIEdgeInsets insets)
{
    m_contentInsets = insets;
    setNeedsLayout();
}

void UIButton::setTitleEdgeInsets(UIEdgeInsets insets)
{
    m_titleInsets = insets;
    setNeedsLayout();
}

void UIButton::setImageEdgeInsets(UIEdgeInsets insets)
{
    m_imageInsets = insets;
    setNeedsLayout();
}

void UIButton::setEnabled(bool enabled)
{
    UIControl::setEnabled(enabled);
    stateDidChange();
}

void UIButton::setSelected(bool selected)
{
    UIControl::setSelected(selected);
    stateDidChange();
}

void UIButton::setHighlighted(bool highlighted)
{
    UIControl::setHighlighted(highlighted);
    stateDidChange();
}

void UIButton::stateDidChange()
{
    m_titleLabel->setText(currentTitle());
    m_titleLabel->setTextColor(currentTitleColor());
    m_imageView->setImage(currentImage());
    setNeedsLayout();
    setNeedsDisplay();
}

void UIButton::layoutSubviews()
{
    const CGRect content = UIEdgeInsetsInsetRect(bounds(), m_contentInsets);
    const auto image = currentImage();
    CGSize imageSize = image ? image->size() : CGSizeZero;
    imageSize.width = std::min(imageSize.width, std::max(0.0, content.size.width));
    imageSize.height = std::min(imageSize.height, std::max(0.0, content.size.height));
    const CGSize textSize = TextMetric::sizeWithFont(m_titleLabel->text(), *m_titleLabel->font());
    const double titleWidth = std::clamp(textSize.width, 0.0, std::max(0.0, content.size.width - imageSize.width));
    const double total = imageSize.width + titleWidth;

    double x = content.origin.x + (content.size.width - total) / 2;
    if (contentHorizontalAlignment() == UIControlContentHorizontalAlignment::Left
        || contentHorizontalAlignment() == UIControlContentHorizontalAlignment::Fill)
        x = content.origin.x;
    else if (contentHorizontalAlignment() == UIControlContentHorizontalAlignment::Right)
        x = content.origin.x + content.size.width - total;
    const auto yFor = [&](double height) {
        switch (contentVerticalAlignment()) {
        case UIControlContentVerticalAlignment::Top:
        case UIControlContentVerticalAlignment::Fill:
            return content.origin.y;
        case UIControlContentVerticalAlignment::Bottom:
            return content.origin.y + content.size.height - height;
        case UIControlContentVerticalAlignment::Center:
            break;
        }
        return content.origin.y + (content.size.height - height) / 2;
    };
    const double titleHeight = std::min(textSize.height, std::max(0.0, content.size.height));
    m_imageView->setFrame(CGRectMake(x + m_imageInsets.left - m_imageInsets.right,
                                     yFor(imageSize.height) + m_imageInsets.top - m_imageInsets.bottom,
                                     imageSize.width, imageSize.height));
    const double titleFill = contentHorizontalAlignment() == UIControlContentHorizontalAlignment::Fill
        ? std::max(0.0, content.size.width - imageSize.width)
        : titleWidth;
    m_titleLabel->setFrame(CGRectMake(x + imageSize.width + m_titleInsets.left - m_titleInsets.right,
                                      yFor(titleHeight) + m_titleInsets.top - m_titleInsets.bottom, titleFill,
                                      titleHeight));
}

CGSize UIButton::sizeThatFits(CGSize) const
{
    const auto image = currentImage();
    const CGSize imageSize = image ? image->size() : CGSizeZero;
    const CGSize textSize = TextMetric::sizeWithFont(m_titleLabel->text(), *m_titleLabel->font());
    return {imageSize.width + textSize.width + m_contentInsets.left + m_contentInsets.right,
            std::max(imageSize.height, textSize.height) + m_contentInsets.top + m_contentInsets.bottom};
}

void UIButton::drawRect(const CGRect&)
{
    if (const auto background = currentBackgroundImage())
        background->drawInRect(bounds());
}

void UIButton::addDrawnContent(ViewFingerprint& f) const
{
    UIView::addDrawnContent(f);
    f.add(currentBackgroundImage());
}

void UIButton::registerInterfaceClass(InterfaceRegistry& r)
{
    using namespace InterfaceProperty;
    r.registerViewClass<UIButton>("UIButton", "UIControl")
        .property("title", prop<UIButton>(asText, [](UIButton& b, const std::string& t) { b.setTitle(t); }))
        .property("highlightedTitle",
                  prop<UIButton>(asText, [](UIButton& b, const std::string& t) { b.setTitle(t, UIControlStateHighlighted); }))
        .property("titleColor", prop<UIButton>(asColor, [](UIButton& b, const UIColorPtr& c) { b.setTitleColor(c); }))
        .property("highlightedTitleColor", prop<UIButton>(asColor, [](UIButton& b, const UIColorPtr& c) {
                      b.setTitleColor(c, UIControlStateHighlighted);
                  }))
        .property("font", prop<UIButton>(asFont, [](UIButton& b, const UIFontPtr& f) { b.titleLabel()->setFont(f); }))
        .property("image", prop<UIButton>(asImage, [](UIButton& b, const UIImagePtr& i) { b.setImage(i); }))
        .property("highlightedImage", prop<UIButton>(asImage, [](UIButton& b, const UIImagePtr& i) {
                      b.setImage(i, UIControlStateHighlighted);
                  }))
        .property("selectedImage",
                  prop<UIButton>(asImage, [](UIButton& b, const UIImagePtr& i) { b.setImage(i, UIControlStateSelected); }))
        .property("backgroundImage",
                  prop<UIButton>(asImage, [](UIButton& b, const UIImagePtr& i) { b.setBackgroundImage(i); }))
        .property("highlightedBackgroundImage", prop<UIButton>(asImage, [](UIButton& b, const UIImagePtr& i) {
                      b.setBackgroundImage(i, UIControlStateHighlighted);
                  }));
}
