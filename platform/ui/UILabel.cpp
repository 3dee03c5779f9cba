#include "platform/ui/UILabel.h"
#include "platform/ui/ViewFingerprint.h"

#include "platform/ui/InterfaceProperty.h"

#include "platform/graphics/NSStringDrawing.h"
#include "platform/graphics/TextMetric.h"
#include "platform/graphics/UIGraphics.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
UIFontPtr defaultFont() { return UIFont::systemFontOfSize(17); }
} // namespace

std::shared_ptr<UILabel> UILabel::create(const CGRect& frame)
{
    return std::make_shared<UILabel>(frame);
}

UILabel::UILabel(const CGRect& frame)
    : UIView(frame)
    , m_font(defaultFont())
{
    setUserInteractionEnabled(false);
    setOpaque(false);
}

void UILabel::setText(std::string text)
{
    m_text = std::move(text);
    setNeedsDisplayKeepingStamp();
}

void UILabel::setFont(UIFontPtr font)
{
    m_font = font ? std::move(font) : defaultFont();
    setNeedsDisplayKeepingStamp();
}

void UILabel::setTextColor(UIColorPtr color)
{
    m_textColor = color ? std::move(color) : UIColor::blackColor();
    setNeedsDisplayKeepingStamp();
}

void UILabel::setHighlightedTextColor(UIColorPtr color)
{
    m_highlightedTextColor = std::move(color);
    setNeedsDisplayKeepingStamp();
}

void UILabel::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    setNeedsDisplayKeepingStamp();
}

void UILabel::setEnabled(bool enabled)
{
    m_enabled = enabled;
    setNeedsDisplayKeepingStamp();
}

void UILabel::setTextAlignment(NSTextAlignment alignment)
{
    m_alignment = alignment;
    setNeedsDisplayKeepingStamp();
}

void UILabel::setLineBreakMode(NSLineBreakMode mode)
{
    m_lineBreakMode = mode;
    setNeedsDisplayKeepingStamp();
}

void UILabel::setNumberOfLines(int lines)
{
    m_numberOfLines = std::max(0, lines);
    setNeedsDisplayKeepingStamp();
}

void UILabel::setAdjustsFontSizeToFitWidth(bool adjusts)
{
    m_adjustsFontSize = adjusts;
    setNeedsDisplayKeepingStamp();
}

void UILabel::setMinimumFontSize(double size)
{
    m_minimumFontSize = std::isfinite(size) && size > 0 ? size : 0;
}

void UILabel::setMinimumScaleFactor(double factor)
{
    m_minimumScaleFactor = std::isfinite(factor) ? std::clamp(factor, 0.0, 1.0) : 0;
}

void UILabel::setShadowColor(UIColorPtr color)
{
    m_shadowColor = std::move(color);
    setNeedsDisplayKeepingStamp();
}

void UILabel::setShadowOffset(CGSize offset)
{
    m_shadowOffset = offset;
    setNeedsDisplayKeepingStamp();
}

void UILabel::addDrawnContent(ViewFingerprint& f) const
{
    f.add(m_text).add(m_font).add(m_textColor).add(m_highlightedTextColor).add(m_shadowColor).add(m_shadowOffset);
    f.add(m_highlighted).add(m_enabled).add(m_alignment).add(m_lineBreakMode).add(m_numberOfLines);
    f.add(m_adjustsFontSize).add(m_minimumFontSize).add(m_minimumScaleFactor).add(m_baselineAdjustment);
}

UIColorPtr UILabel::currentTextColor() const
{
    UIColorPtr color = m_highlighted && m_highlightedTextColor ? m_highlightedTextColor : m_textColor;
    if (!m_enabled)
        color = color->colorWithAlphaComponent(color->alpha() * 0.44);
    return color;
}

double UILabel::fontSizeForDrawing(const CGRect& rect) const
{
    const double size = m_font->pointSize();
    if (!m_adjustsFontSize || m_numberOfLines != 1)
        return size;
    const double smallest = m_minimumFontSize > 0 ? m_minimumFontSize : size * m_minimumScaleFactor;
    if (smallest <= 0)
        return size;
    return TextMetric::sizeWithFont(m_text, *m_font, smallest, rect.size.width, m_lineBreakMode).actualFontSize;
}

CGSize UILabel::sizeThatFits(CGSize size) const
{
    if (m_numberOfLines == 1)
        return TextMetric::sizeWithFont(m_text, *m_font);
    const double height = m_numberOfLines == 0 ? INFINITY : m_numberOfLines * m_font->lineHeight();
    const double width = size.width > 0 ? size.width : INFINITY;
    return TextMetric::sizeWithFont(m_text, *m_font, {width, height}, NSLineBreakMode::ByWordWrapping);
}

CGRect UILabel::textRectForBounds(const CGRect& rect, int numberOfLines) const
{
    const auto font = m_font->fontWithSize(fontSizeForDrawing(rect));
    const double height = numberOfLines == 0 ? rect.size.height
                                             : std::min(rect.size.height, numberOfLines * font->lineHeight());
    const CGSize size = numberOfLines == 1
        ? TextMetric::sizeWithFont(m_text, *font, rect.size.width, m_lineBreakMode)
        : TextMetric::sizeWithFont(m_text, *font, {rect.size.width, height}, m_lineBreakMode);
    return CGRectMake(rect.origin.x, rect.origin.y, size.width, size.height);
}

void UILabel::drawTextInRect(const CGRect& rect)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context || m_text.empty())
        return;
    const auto font = m_font->fontWithSize(fontSizeForDrawing(rect));
    const CGRect textRect = textRectForBounds(rect, m_numberOfLines);
    // The text block sits in the middle of the label, whatever the alignment across.
    const CGRect block = CGRectMake(rect.origin.x, rect.origin.y + (rect.size.height - textRect.size.height) / 2,
                                    rect.size.width, textRect.size.height);
    const NSLineBreakMode mode = m_numberOfLines == 1 && m_lineBreakMode < NSLineBreakMode::ByClipping
        ? NSLineBreakMode::ByClipping
        : m_lineBreakMode;
    context->saveGState();
    if (m_shadowColor)
        context->setShadowWithColor(m_shadowOffset, 0, m_shadowColor);
    context->setFillColor(currentTextColor());
    NSStringDrawing::drawInRect(m_text, block, *font, mode, m_alignment, context.get());
    context->restoreGState();
}

void UILabel::drawRect(const CGRect&)
{
    drawTextInRect(bounds());
}

void UILabel::registerInterfaceClass(InterfaceRegistry& r)
{
    using namespace InterfaceProperty;
    r.registerViewClass<UILabel>("UILabel", "UIView")
        .property("text", prop<UILabel>(asText, [](UILabel& l, const std::string& t) { l.setText(t); }))
        .property("font", prop<UILabel>(asFont, [](UILabel& l, const UIFontPtr& f) { l.setFont(f); }))
        .property("textColor", prop<UILabel>(asColor, [](UILabel& l, const UIColorPtr& c) { l.setTextColor(c); }))
        .property("highlightedTextColor",
                  prop<UILabel>(asColor, [](UILabel& l, const UIColorPtr& c) { l.setHighlightedTextColor(c); }))
        .property("textAlignment", prop<UILabel>(alignment, [](UILabel& l, NSTextAlignment a) { l.setTextAlignment(a); }))
        .property("numberOfLines", prop<UILabel>(asInteger, [](UILabel& l, int n) { l.setNumberOfLines(n); }))
        .property("adjustsFontSizeToFitWidth",
                  prop<UILabel>(asFlag, [](UILabel& l, bool a) { l.setAdjustsFontSizeToFitWidth(a); }))
        .property("minimumFontSize", prop<UILabel>(asNumber, [](UILabel& l, double s) { l.setMinimumFontSize(s); }))
        .property("shadowColor", prop<UILabel>(asColor, [](UILabel& l, const UIColorPtr& c) { l.setShadowColor(c); }))
        .property("shadowOffset", prop<UILabel>(asSize, [](UILabel& l, CGSize s) { l.setShadowOffset(s); }));
}
