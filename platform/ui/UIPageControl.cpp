#include "platform/ui/UIPageControl.h"

#include "platform/ui/InterfaceProperty.h"

#include "platform/graphics/UIGraphics.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr CGFloat kDotDiameter = 7;
constexpr CGFloat kDotPitch = 16; // centre to centre
} // namespace

std::shared_ptr<UIPageControl> UIPageControl::create(const CGRect& frame)
{
    return std::make_shared<UIPageControl>(frame);
}

UIPageControl::UIPageControl(const CGRect& frame)
    : UIControl(frame)
    , m_indicatorColor(UIColor::colorWithWhite(1, 0.35))
    , m_currentIndicatorColor(UIColor::whiteColor())
{
    setOpaque(false);
}

void UIPageControl::setNumberOfPages(std::int64_t pages)
{
    m_numberOfPages = std::max<std::int64_t>(pages, 0);
    setCurrentPage(m_currentPage);
    setNeedsDisplay();
}

void UIPageControl::setCurrentPage(std::int64_t page)
{
    m_currentPage = std::clamp<std::int64_t>(page, 0, std::max<std::int64_t>(m_numberOfPages - 1, 0));
    setNeedsDisplay();
}

void UIPageControl::setHidesForSinglePage(bool hides)
{
    m_hidesForSinglePage = hides;
    setNeedsDisplay();
}

void UIPageControl::setPageIndicatorTintColor(UIColorPtr color)
{
    m_indicatorColor = std::move(color);
    setNeedsDisplay();
}

void UIPageControl::setCurrentPageIndicatorTintColor(UIColorPtr color)
{
    m_currentIndicatorColor = std::move(color);
    setNeedsDisplay();
}

bool UIPageControl::tapAtPoint(CGPoint point)
{
    if (!acceptsTaps() || !pointInside(point))
        return false;
    const std::int64_t before = m_currentPage;
    setCurrentPage(point.x < CGRectGetMidX(bounds()) ? before - 1 : before + 1);
    if (m_currentPage == before)
        return false;
    sendActionsForControlEvents(UIControlEventValueChanged);
    return true;
}

CGRect UIPageControl::indicatorRectForPage(std::int64_t page) const
{
    const CGFloat rowWidth = static_cast<CGFloat>(m_numberOfPages) * kDotPitch;
    const CGFloat left = CGRectGetMidX(bounds()) - rowWidth / 2;
    const CGFloat centreX = left + (static_cast<CGFloat>(page) + 0.5) * kDotPitch;
    return CGRectMake(centreX - kDotDiameter / 2, CGRectGetMidY(bounds()) - kDotDiameter / 2, kDotDiameter, kDotDiameter);
}

void UIPageControl::drawRect(const CGRect&)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context || (m_hidesForSinglePage && m_numberOfPages <= 1))
        return;
    // Only the dots that fall within the bounds, however many pages there are.
    const CGFloat left = CGRectGetMidX(bounds()) - static_cast<CGFloat>(m_numberOfPages) * kDotPitch / 2;
    const auto first = static_cast<std::int64_t>(std::max<CGFloat>(0, std::floor((CGRectGetMinX(bounds()) - left) / kDotPitch)));
    const auto end = std::min<CGFloat>(static_cast<CGFloat>(m_numberOfPages),
                                       std::ceil((CGRectGetMaxX(bounds()) - left) / kDotPitch));
    for (std::int64_t page = first; static_cast<CGFloat>(page) < end; ++page) {
        context->setFillColor(page == m_currentPage ? m_currentIndicatorColor : m_indicatorColor);
        context->fillEllipseInRect(indicatorRectForPage(page));
    }
}

void UIPageControl::registerInterfaceClass(InterfaceRegistry& r)
{
    using namespace InterfaceProperty;
    r.registerViewClass<UIPageControl>("UIPageControl", "UIControl")
        .property("numberOfPages", prop<UIPageControl>(asInteger, [](UIPageControl& c, int n) { c.setNumberOfPages(n); }))
        .property("currentPageIndicatorTintColor", prop<UIPageControl>(asColor, [](UIPageControl& c, const UIColorPtr& color) {
                      c.setCurrentPageIndicatorTintColor(color);
                  }))
        .property("pageIndicatorTintColor", prop<UIPageControl>(asColor, [](UIPageControl& c, const UIColorPtr& color) {
                      c.setPageIndicatorTintColor(color);
                  }));
}
