#include "kit/UICheckBoxButton.h"

#include <algorithm>

std::shared_ptr<UICheckBoxButton> UICheckBoxButton::create(const CGRect& frame)
{
    return std::make_shared<UICheckBoxButton>(frame);
}

UICheckBoxButton::UICheckBoxButton(const CGRect& frame)
    : UIControl(frame)
{
    const double w = frame.size.width, h = frame.size.height;
    m_icon = UIImageView::create(CGRectMake(0, 0, h, h));
    setChecked(false);
    addSubview(m_icon);

    const double iconWidth = m_icon->frame().size.width;
    // A box too narrow for its caption gets an empty caption area rather than a flipped one.
    m_label = UILabel::create(CGRectMake(iconWidth + 7, 0, std::max(0.0, w - iconWidth - 10), h));
    m_label->setBackgroundColor(UIColor::clearColor());
    m_label->setTextAlignment(NSTextAlignment::Left);
    m_label->setFont(UIFont::systemFontOfSize(14));
    addSubview(m_label);

    // The box owns this action, so the box is alive whenever it runs.
    addTarget(this, [this](UIControl&) { clicked(); }, UIControlEventTouchUpInside);
}

void UICheckBoxButton::setChecked(bool checked)
{
    if (checked != m_checked)
        m_checked = checked;
    m_icon->setImage(UIImage::imageNamed(m_checked ? "Selected.png" : "Unselected.png"));
}

void UICheckBoxButton::clicked()
{
    if (auto delegate = m_delegate.lock())
        delegate->checkBoxButtonClick(m_curPos, !m_checked);
}
