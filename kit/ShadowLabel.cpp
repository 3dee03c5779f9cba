#include "kit/ShadowLabel.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/CGGradient.h"
#include "platform/graphics/NSStringDrawing.h"
#include "platform/graphics/PixelLimits.h"
#include "platform/graphics/TextMetric.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/ViewFingerprint.h"

#include <algorithm>
#include <cmath>

namespace {
bool isClear(const UIColorPtr& color) { return color->isEqual(*UIColor::clearColor()); }

bool samePointers(const std::vector<UIColorPtr>& a, const std::vector<UIColorPtr>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

// No model at all: the number the platform gives a colour space it does not know.
constexpr int kUnknownColorModel = -1;
} // namespace

std::shared_ptr<ShadowLabel> ShadowLabel::create(const CGRect& frame)
{
    auto label = std::make_shared<ShadowLabel>(frame);
    label->setBackgroundColor(nullptr);
    return label;
}

ShadowLabel::ShadowLabel(const CGRect& frame)
    : UILabel(frame)
{
    setDefaults();
}

void ShadowLabel::setDefaults()
{
    m_gradientStartPoint = {0.5, 0};
    m_gradientEndPoint = {0.5, 0.75};
    setShadowColor(nullptr);
    setShadowOffset({0, 2});
    setShadowColor(UIColor::colorWithWhite(0, 0.75));
    setShadowBlur(5);
    m_minSamples = static_cast<std::uint64_t>(std::max(1.0, std::trunc(UIScreen::mainScreen().scale())));
    m_maxSamples = 32;
    m_oversampling = m_minSamples;
}

// Setters that redraw only on a change.

void ShadowLabel::setInnerShadowColor(UIColorPtr color)
{
    if (color == m_innerShadowColor)
        return;
    m_innerShadowColor = std::move(color);
    setNeedsDisplay();
}

void ShadowLabel::setInnerShadowOffset(CGSize offset)
{
    if (offset == m_innerShadowOffset)
        return;
    m_innerShadowOffset = offset;
    setNeedsDisplay();
}

void ShadowLabel::setGradientColors(std::vector<UIColorPtr> colors)
{
    if (samePointers(colors, m_gradientColors))
        return;
    m_gradientColors = std::move(colors);
    setNeedsDisplay();
}

UIColorPtr ShadowLabel::gradientStartColor() const
{
    return m_gradientColors.empty() ? nullptr : m_gradientColors.front();
}

UIColorPtr ShadowLabel::gradientEndColor() const
{
    return m_gradientColors.empty() ? nullptr : m_gradientColors.back();
}

void ShadowLabel::setGradientStartColor(const UIColorPtr& color)
{
    if (!color) {
        setGradientColors({});
    } else if (m_gradientColors.size() < 2) {
        setGradientColors({color, color});
    } else if (m_gradientColors.front() != color) {
        auto colors = m_gradientColors;
        colors.front() = color;
        setGradientColors(std::move(colors));
    }
}

void ShadowLabel::setGradientEndColor(const UIColorPtr& color)
{
    if (!color) {
        setGradientColors({});
    } else if (m_gradientColors.size() < 2) {
        setGradientColors({color, color});
    } else if (m_gradientColors.back() != color) {
        auto colors = m_gradientColors;
        colors.back() = color;
        setGradientColors(std::move(colors));
    }
}

void ShadowLabel::setOversampling(std::uint64_t samples)
{
    samples = std::max(samples, m_minSamples);
    samples = std::min(samples, m_maxSamples);
    if (samples == m_oversampling)
        return;
    m_oversampling = samples;
    setNeedsDisplay();
}

void ShadowLabel::setTextInsets(UIEdgeInsets insets)
{
    if (insets == m_textInsets)
        return;
    m_textInsets = insets;
    setNeedsDisplay();
}

// Colour arithmetic.

std::array<double, 4> ShadowLabel::getComponents(const UIColorPtr& color)
{
    const int model = color ? static_cast<int>(color->model()) : kUnknownColorModel;
    switch (model) {
    case static_cast<int>(UIColor::Model::Monochrome):
        return {color->component(0), color->component(0), color->component(0), color->component(1)};
    case static_cast<int>(UIColor::Model::RGB):
        return {color->component(0), color->component(1), color->component(2), color->component(3)};
    default:
        NSLog("Unsupported gradient color format: %i", model);
        return {0, 0, 0, 1};
    }
}

UIColorPtr ShadowLabel::color(const UIColorPtr& top, const UIColorPtr& blendedWithColor)
{
    const auto t = getComponents(top);
    const auto b = getComponents(blendedWithColor);
    const double a = t[3];
    return UIColor::colorWithRed(a * t[0] + (1 - a) * b[0], a * t[1] + (1 - a) * b[1], a * t[2] + (1 - a) * b[2],
                                 b[3] + (1 - b[3]) * a);
}

// Layout.

ShadowLabel::TextLayout ShadowLabel::textLayout() const
{
    const CGRect area = UIEdgeInsetsInsetRect(bounds(), m_textInsets);
    TextLayout layout;
    layout.fontSize = font()->pointSize();
    if (!std::isfinite(area.origin.x) || !std::isfinite(area.origin.y) || !std::isfinite(area.size.width)
        || !std::isfinite(area.size.height))
        return layout;
    const CGSize room {std::max(0.0, area.size.width), std::max(0.0, area.size.height)};
    CGSize size;
    if (adjustsFontSizeToFitWidth() && numberOfLines() == 1) {
        const auto shrunk = TextMetric::sizeWithFont(text(), *font(), minimumFontSize(), room.width, lineBreakMode());
        size = shrunk.size;
        layout.fontSize = shrunk.actualFontSize;
    } else {
        size = TextMetric::sizeWithFont(text(), *font(), room, lineBreakMode());
    }
    CGRect& t = layout.textRect;
    t.size = size;
    switch (textAlignment()) {
    case NSTextAlignment::Center:
        t.origin.x = area.origin.x + (area.size.width - size.width) / 2;
        break;
    case NSTextAlignment::Right:
        t.origin.x = area.origin.x + area.size.width - size.width;
        break;
    default:
        t.origin.x = area.origin.x;
    }
    switch (contentMode()) {
    case UIViewContentMode::Top:
    case UIViewContentMode::TopLeft:
    case UIViewContentMode::TopRight:
        t.origin.y = area.origin.y;
        break;
    case UIViewContentMode::Bottom:
    case UIViewContentMode::BottomLeft:
    case UIViewContentMode::BottomRight:
        t.origin.y = area.origin.y + area.size.height - size.height;
        break;
    default:
        t.origin.y = area.origin.y + (area.size.height - size.height) / 2;
    }
    return layout;
}

UIColorPtr ShadowLabel::drawingTextColor() const
{
    const UIColorPtr& highlight = highlightedTextColor() ? highlightedTextColor() : textColor();
    const UIColorPtr& chosen = isHighlighted() ? highlight : textColor();
    return chosen ? chosen : UIColor::clearColor();
}

bool ShadowLabel::drawsOffscreen(const CGRect& rect) const
{
    const bool wanted = m_oversampling > m_minSamples || (backgroundColor() && !isClear(backgroundColor()));
    if (!wanted)
        return false;
    const double samples = static_cast<double>(m_oversampling);
    return PixelLimits::allows(std::ceil(rect.size.width * samples), std::ceil(rect.size.height * samples));
}

// Drawing.

// The values that only take effect at the next redraw count as well: a screen written after
// such a change shows it.
void ShadowLabel::addDrawnContent(ViewFingerprint& f) const
{
    UILabel::addDrawnContent(f);
    f.add(m_shadowBlur).add(m_innerShadowColor).add(m_innerShadowOffset).add(m_gradientColors.size());
    for (const auto& color : m_gradientColors)
        f.add(color);
    f.add(m_gradientStartPoint).add(m_gradientEndPoint).add(m_oversampling).add(m_minSamples).add(m_maxSamples);
    f.add(m_textInsets.top).add(m_textInsets.left).add(m_textInsets.bottom).add(m_textInsets.right);
}

void ShadowLabel::drawRect(const CGRect& rect)
{
    auto outer = UIGraphicsGetCurrentContext();
    if (!outer || text().empty())
        return;
    if (!drawsOffscreen(rect)) {
        drawLabel(*outer);
        return;
    }
    UIGraphicsBeginImageContextWithOptions(rect.size, false, static_cast<double>(m_oversampling));
    auto offscreen = UIGraphicsGetCurrentContext();
    offscreen->translateCTM(-rect.origin.x, -rect.origin.y);
    drawLabel(*offscreen);
    const auto picture = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    if (picture)
        picture->drawInRect(rect);
}

void ShadowLabel::drawText(CGContext& context, const TextLayout& layout) const
{
    const auto drawingFont = font()->fontWithSize(layout.fontSize);
    NSStringDrawing::drawInRect(text(), layout.textRect, *drawingFont, lineBreakMode(), textAlignment(), &context);
}

// The coverage of the glyphs, drawn apart from the context being drawn in: on this platform a
// view draws straight into the picture of the whole tree, so that picture cannot serve as the
// label's own.
std::shared_ptr<UIImage> ShadowLabel::makeMask(const TextLayout& layout, double scale) const
{
    const CGRect b = bounds();
    auto context = CGContext::createBitmap(b.size, scale);
    if (!context->isValid())
        return nullptr;
    context->translateCTM(-b.origin.x, -b.origin.y);
    context->setFillColor(UIColor::blackColor());
    drawText(*context, layout);
    return context->makeImage();
}

void ShadowLabel::clipToMask(CGContext& context, const UIImage& mask) const
{
    // The mask is laid with its first row at the far edge, so the clip is made upside down.
    const CGRect b = bounds();
    const double flip = 2 * b.origin.y + b.size.height;
    context.translateCTM(0, flip);
    context.scaleCTM(1, -1);
    context.clipToMask(b, mask);
    context.scaleCTM(1, -1);
    context.translateCTM(0, -flip);
}

void ShadowLabel::drawLabel(CGContext& context) const
{
    const TextLayout layout = textLayout();
    const CGRect& t = layout.textRect;
    const UIColorPtr textColour = drawingTextColor();
    const UIColorPtr& shadow = shadowColor();
    const bool dropShadow = shadow && !isClear(shadow) && (m_shadowBlur > 0 || shadowOffset() != CGSizeZero);
    const bool innerShadow
        = m_innerShadowColor && !isClear(m_innerShadowColor) && m_innerShadowOffset != CGSizeZero;
    const bool gradient = m_gradientColors.size() > 1;

    std::shared_ptr<UIImage> mask;
    if (innerShadow || gradient)
        mask = makeMask(layout, context.scale());

    if (dropShadow) {
        context.saveGState();
        context.setShadowWithColor(shadowOffset(), m_shadowBlur, shadow);
        context.setFillColor(mask ? shadow->colorWithAlphaComponent(textColour->alpha()) : textColour);
        drawText(context, layout);
        context.restoreGState();
    } else if (!mask) {
        context.saveGState();
        context.setFillColor(textColour);
        drawText(context, layout);
        context.restoreGState();
    }
    if (!mask)
        return;

    context.saveGState();
    clipToMask(context, *mask);
    if (innerShadow) {
        // Only what the glyphs' shifted copy covers stays open, so the uncovered edge keeps
        // the inner shadow's colour.
        context.setFillColor(m_innerShadowColor);
        context.fillRect(t);
        context.translateCTM(m_innerShadowOffset.width, m_innerShadowOffset.height);
        clipToMask(context, *mask);
    }
    if (gradient) {
        std::vector<UIColorPtr> stops;
        stops.reserve(m_gradientColors.size());
        for (const auto& entry : m_gradientColors)
            stops.push_back(color(entry, textColour));
        if (auto fill = CGGradient::createWithColors(stops)) {
            const CGPoint start {t.origin.x + m_gradientStartPoint.x * t.size.width,
                                 t.origin.y + m_gradientStartPoint.y * t.size.height};
            const CGPoint end {t.origin.x + m_gradientEndPoint.x * t.size.width,
                               t.origin.y + m_gradientEndPoint.y * t.size.height};
            context.drawLinearGradient(*fill, start, end,
                                       CGGradient::DrawsBeforeStartLocation | CGGradient::DrawsAfterEndLocation);
        }
    } else {
        context.setFillColor(textColour);
        context.fillRect(t);
    }
    context.restoreGState();
}
