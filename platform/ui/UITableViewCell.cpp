#include "platform/ui/UITableViewCell.h"

#include "platform/ui/InterfaceRegistry.h"

#include "platform/graphics/UIGraphics.h"

#include <algorithm>

namespace {
constexpr double Margin = 15;
constexpr double AccessoryWidth = 30;
} // namespace

std::shared_ptr<UITableViewCell> UITableViewCell::create(UITableViewCellStyle style, std::string reuseIdentifier)
{
    return std::make_shared<UITableViewCell>(style, std::move(reuseIdentifier));
}

UITableViewCell::UITableViewCell(UITableViewCellStyle style, std::string reuseIdentifier)
    : UIView(CGRectMake(0, 0, 320, 44))
    , m_style(style)
    , m_reuseIdentifier(std::move(reuseIdentifier))
{
    build();
}

UITableViewCell::UITableViewCell(const CGRect& frame)
    : UIView(frame)
{
    build();
}

void UITableViewCell::build()
{
    setBackgroundColor(UIColor::whiteColor());
    m_contentView = UIView::create(bounds());
    m_contentView->setOpaque(false);
    addSubview(m_contentView);
    m_imageView = UIImageView::create();
    m_contentView->addSubview(m_imageView);
    m_textLabel = UILabel::create();
    m_textLabel->setBackgroundColor(UIColor::clearColor());
    m_contentView->addSubview(m_textLabel);
    if (m_style != UITableViewCellStyle::Default) {
        m_detailTextLabel = UILabel::create();
        m_detailTextLabel->setBackgroundColor(UIColor::clearColor());
        const bool side = m_style == UITableViewCellStyle::Value1;
        m_detailTextLabel->setTextColor(side ? UIColor::colorWithWhite(0.56, 1) : UIColor::blackColor());
        m_detailTextLabel->setFont(UIFont::systemFontOfSize(m_style == UITableViewCellStyle::Subtitle ? 12 : 17));
        if (side)
            m_detailTextLabel->setTextAlignment(NSTextAlignment::Right);
        m_contentView->addSubview(m_detailTextLabel);
    }
    if (m_style == UITableViewCellStyle::Value2) {
        m_textLabel->setFont(UIFont::boldSystemFontOfSize(12));
        m_textLabel->setTextAlignment(NSTextAlignment::Right);
        m_textLabel->setTextColor(UIColor::colorWithRed(0, 0.478, 1, 1));
    }
    m_accessoryMark = UILabel::create();
    m_accessoryMark->setTextAlignment(NSTextAlignment::Center);
    m_accessoryMark->setTextColor(UIColor::colorWithWhite(0.7, 1));
    m_accessoryMark->setHidden(true);
    addSubview(m_accessoryMark);
}

void UITableViewCell::setAccessoryType(UITableViewCellAccessoryType type)
{
    m_accessoryType = type;
    setNeedsLayout();
}

void UITableViewCell::setAccessoryView(std::shared_ptr<UIView> view)
{
    if (m_accessoryView == view)
        return;
    if (m_accessoryView)
        m_accessoryView->removeFromSuperview();
    m_accessoryView = std::move(view);
    if (m_accessoryView)
        addSubview(m_accessoryView);
    setNeedsLayout();
}

void UITableViewCell::setSelected(bool selected, bool)
{
    m_selected = selected;
    m_textLabel->setHighlighted(showsSelection());
    if (m_detailTextLabel)
        m_detailTextLabel->setHighlighted(showsSelection());
    setNeedsDisplay();
}

void UITableViewCell::setHighlighted(bool highlighted, bool)
{
    m_highlighted = highlighted;
    setNeedsDisplay();
}

bool UITableViewCell::showsSelection() const
{
    return (m_selected || m_highlighted) && m_selectionStyle != UITableViewCellSelectionStyle::None;
}

void UITableViewCell::prepareForReuse()
{
    setSelected(false);
    setHighlighted(false);
}

void UITableViewCell::layoutSubviews()
{
    const CGRect b = bounds();
    double accessory = 0;
    if (m_accessoryView) {
        const CGSize size = m_accessoryView->bounds().size;
        accessory = size.width + Margin;
        m_accessoryView->setFrame(CGRectMake(b.size.width - accessory, (b.size.height - size.height) / 2, size.width,
                                             size.height));
    }
    const bool mark = !m_accessoryView && m_accessoryType != UITableViewCellAccessoryType::None;
    m_accessoryMark->setHidden(!mark);
    if (mark) {
        accessory = AccessoryWidth;
        m_accessoryMark->setText(m_accessoryType == UITableViewCellAccessoryType::Checkmark ? "\u2713" : "\u203A");
        m_accessoryMark->setFrame(CGRectMake(b.size.width - AccessoryWidth, 0, AccessoryWidth - 8, b.size.height));
    }
    m_contentView->setFrame(CGRectMake(0, 0, std::max(0.0, b.size.width - accessory), b.size.height));

    const CGRect c = m_contentView->bounds();
    double x = Margin;
    if (m_imageView->image()) {
        const CGSize size = m_imageView->image()->size();
        const double side = std::min({size.width, size.height, c.size.height});
        m_imageView->setFrame(CGRectMake(Margin, (c.size.height - side) / 2, side, side));
        x += side + Margin;
    } else {
        m_imageView->setFrame(CGRectZero);
    }
    const double width = std::max(0.0, c.size.width - x - Margin);
    switch (m_style) {
    case UITableViewCellStyle::Default:
        m_textLabel->setFrame(CGRectMake(x, 0, width, c.size.height));
        break;
    case UITableViewCellStyle::Value1:
        m_textLabel->setFrame(CGRectMake(x, 0, width / 2, c.size.height));
        m_detailTextLabel->setFrame(CGRectMake(x + width / 2, 0, width / 2, c.size.height));
        break;
    case UITableViewCellStyle::Value2:
        m_textLabel->setFrame(CGRectMake(x, 0, width / 3, c.size.height));
        m_detailTextLabel->setFrame(CGRectMake(x + width / 3 + 6, 0, std::max(0.0, width * 2 / 3 - 6), c.size.height));
        break;
    case UITableViewCellStyle::Subtitle:
        m_textLabel->setFrame(CGRectMake(x, 0, width, c.size.height * 0.55));
        m_detailTextLabel->setFrame(CGRectMake(x, c.size.height * 0.55, width, c.size.height * 0.45));
        break;
    }
}

void UITableViewCell::drawRect(const CGRect&)
{
    if (!showsSelection())
        return;
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    context->setFillColor(m_selectionStyle == UITableViewCellSelectionStyle::Gray ? UIColor::colorWithWhite(0.85, 1)
                                                                                  : UIColor::colorWithRed(0.85, 0.9, 1, 1));
    context->fillRect(bounds());
}

void UITableViewCell::registerInterfaceClass(InterfaceRegistry& r)
{
    r.registerViewClass<UITableViewCell>("UITableViewCell", "UIView");
}
