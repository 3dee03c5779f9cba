#include "platform/ui/UIActivityIndicatorView.h"

#include "platform/ui/InterfaceProperty.h"

#include "platform/graphics/UIGraphics.h"

#include <cmath>
#include <numbers>

namespace {
double sideFor(UIActivityIndicatorViewStyle style) { return style == UIActivityIndicatorViewStyle::WhiteLarge ? 37 : 20; }

UIColorPtr colorFor(UIActivityIndicatorViewStyle style)
{
    return style == UIActivityIndicatorViewStyle::Gray ? UIColor::grayColor() : UIColor::whiteColor();
}
} // namespace

std::shared_ptr<UIActivityIndicatorView> UIActivityIndicatorView::create(UIActivityIndicatorViewStyle style)
{
    return std::make_shared<UIActivityIndicatorView>(style);
}

UIActivityIndicatorView::UIActivityIndicatorView(UIActivityIndicatorViewStyle style)
    : UIView(CGRectMake(0, 0, sideFor(style), sideFor(style)))
    , m_style(style)
    , m_color(colorFor(style))
{
    setOpaque(false);
    setUserInteractionEnabled(false);
    setHidden(true);
}

void UIActivityIndicatorView::setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style)
{
    m_style = style;
    m_color = colorFor(style);
    setNeedsDisplay();
}

void UIActivityIndicatorView::setColor(UIColorPtr color)
{
    m_color = color ? std::move(color) : colorFor(m_style);
    setNeedsDisplay();
}

void UIActivityIndicatorView::startAnimating()
{
    m_animating = true;
    setHidden(false);
}

void UIActivityIndicatorView::stopAnimating()
{
    m_animating = false;
    if (m_hidesWhenStopped)
        setHidden(true);
}

void UIActivityIndicatorView::setHidesWhenStopped(bool hides)
{
    m_hidesWhenStopped = hides;
    if (!m_animating)
        setHidden(hides);
}

CGSize UIActivityIndicatorView::sizeThatFits(CGSize) const
{
    return {sideFor(m_style), sideFor(m_style)};
}

void UIActivityIndicatorView::drawRect(const CGRect&)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    // Twelve spokes fading round the wheel.
    const CGRect b = bounds();
    const double cx = CGRectGetMidX(b), cy = CGRectGetMidY(b);
    const double radius = std::min(b.size.width, b.size.height) / 2;
    context->saveGState();
    context->setLineWidth(radius * 0.18);
    context->setLineCap(CGLineCap::Round);
    for (int i = 0; i < 12; ++i) {
        const double angle = i * std::numbers::pi / 6;
        context->setStrokeColor(m_color->colorWithAlphaComponent(m_color->alpha() * (0.25 + 0.75 * i / 11.0)));
        context->beginPath();
        context->moveToPoint(cx + std::cos(angle) * radius * 0.45, cy + std::sin(angle) * radius * 0.45);
        context->addLineToPoint(cx + std::cos(angle) * radius * 0.9, cy + std::sin(angle) * radius * 0.9);
        context->strokePath();
    }
    context->restoreGState();
}

void UIActivityIndicatorView::registerInterfaceClass(InterfaceRegistry& r)
{
    using namespace InterfaceProperty;
    r.registerViewClass<UIActivityIndicatorView>("UIActivityIndicatorView", "UIView", [](const CGRect& frame) {
         auto view = std::make_shared<UIActivityIndicatorView>();
         view->setFrame(frame);
         return std::static_pointer_cast<UIView>(view);
     })
        .property("style", prop<UIActivityIndicatorView>(
                               [](const json& v) { return V::choice(v, {{"whiteLarge", 0}, {"white", 1}, {"gray", 2}}); },
                               [](UIActivityIndicatorView& a, int s) {
                                   a.setActivityIndicatorViewStyle(static_cast<UIActivityIndicatorViewStyle>(s));
                               }))
        .property("color",
                  prop<UIActivityIndicatorView>(asColor, [](UIActivityIndicatorView& a, const UIColorPtr& c) { a.setColor(c); }))
        .property("hidesWhenStopped",
                  prop<UIActivityIndicatorView>(asFlag, [](UIActivityIndicatorView& a, bool h) { a.setHidesWhenStopped(h); }))
        .property("animating", prop<UIActivityIndicatorView>(asFlag, [](UIActivityIndicatorView& a, bool on) {
                      if (on)
                          a.startAnimating();
                      else
                          a.stopAnimating();
                  }));
}
