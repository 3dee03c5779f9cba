#include "platform/ui/UINavigationBar.h"

UINavigationBar::UINavigationBar(const CGRect& frame)
    : UIView(frame)
    , m_titleLabel(UILabel::create())
{
    setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleBottomMargin);
    m_titleLabel->setFont(UIFont::boldSystemFontOfSize(17));
    m_titleLabel->setTextAlignment(NSTextAlignment::Center);
    addSubview(m_titleLabel);
}

void UINavigationBar::setTitle(std::string title)
{
    m_titleLabel->setText(std::move(title));
}

void UINavigationBar::layoutSubviews()
{
    const CGRect b = bounds();
    // The title keeps to the last 44 points, below the status bar when the bar reaches under it.
    const double height = std::min(Height, b.size.height);
    m_titleLabel->setFrame(CGRectMake(8, b.size.height - height, std::max(0.0, b.size.width - 16), height));
}
