#include "platform/ui/UIScrollView.h"

#include "platform/ui/InterfaceProperty.h"

#include <algorithm>
#include <cmath>

namespace {
// A finger that leaves faster than this (points per second) flicks to the next page.
constexpr CGFloat kPageFlickSpeed = 300;
// How far an unpaged flick carries on: the finger's speed times this many seconds.
constexpr TimeInterval kDecelerationCarry = 0.3;
constexpr TimeInterval kDecelerationDuration = 0.3;
} // namespace

std::shared_ptr<UIScrollView> UIScrollView::create(const CGRect& frame)
{
    return std::make_shared<UIScrollView>(frame);
}

UIScrollView::UIScrollView(const CGRect& frame)
    : UIView(frame)
    , m_panGestureRecognizer(std::make_shared<UIPanGestureRecognizer>())
{
    // Content outside the visible part must not show over the views around: clipping is on
    // unless someone turns it off.
    setClipsToBounds(true);
    m_panGestureRecognizer->addTarget(this, [this](UIGestureRecognizer&) { panUpdated(*m_panGestureRecognizer); });
    addGestureRecognizer(m_panGestureRecognizer);
}

UIScrollView::~UIScrollView()
{
    m_panGestureRecognizer->removeTarget(this);
}

void UIScrollView::setContentOffset(CGPoint offset)
{
    if (!std::isfinite(offset.x) || !std::isfinite(offset.y) || offset == contentOffset())
        return;
    setBounds(CGRect {offset, bounds().size});
    if (m_delegate)
        m_delegate->scrollViewDidScroll(*this);
    runLayoutPass();
}

void UIScrollView::setContentOffset(CGPoint offset, bool animated)
{
    if (!animated) {
        setContentOffset(offset);
        return;
    }
    const std::weak_ptr<UIView> weakSelf = weak_from_this();
    animateWithDuration(
        0.3, 0, UIViewAnimationOptionNone, [&] { setContentOffset(offset); },
        [weakSelf](bool) {
            if (auto self = std::static_pointer_cast<UIScrollView>(weakSelf.lock()); self && self->m_delegate)
                self->m_delegate->scrollViewDidEndScrollingAnimation(*self);
        });
}

void UIScrollView::setContentSize(CGSize size)
{
    if (std::isfinite(size.width) && std::isfinite(size.height))
        m_contentSize = size;
}

void UIScrollView::runLayoutPass()
{
    setNeedsLayout();
    if (m_layoutDepth > 0)
        return;
    LayoutPassScope scope(*this);
    layoutIfNeeded();
}

CGPoint UIScrollView::minimumContentOffset() const
{
    return CGPointMake(-m_contentInset.left, -m_contentInset.top);
}

CGPoint UIScrollView::maximumContentOffset() const
{
    const CGPoint minimum = minimumContentOffset();
    return CGPointMake(std::max(minimum.x, m_contentSize.width - bounds().size.width + m_contentInset.right),
                       std::max(minimum.y, m_contentSize.height - bounds().size.height + m_contentInset.bottom));
}

CGPoint UIScrollView::clampedOffset(CGPoint offset) const
{
    const CGPoint minimum = minimumContentOffset();
    const CGPoint maximum = maximumContentOffset();
    return CGPointMake(std::clamp(offset.x, minimum.x, maximum.x), std::clamp(offset.y, minimum.y, maximum.y));
}

void UIScrollView::scrollRectToVisible(const CGRect& rect, bool animated)
{
    if (!std::isfinite(rect.origin.x) || !std::isfinite(rect.origin.y) || !std::isfinite(rect.size.width)
        || !std::isfinite(rect.size.height))
        return;
    const CGRect target = CGRectStandardize(rect);
    const CGPoint offset = contentOffset();
    const CGFloat visibleWidth = bounds().size.width - m_contentInset.left - m_contentInset.right;
    const CGFloat visibleHeight = bounds().size.height - m_contentInset.top - m_contentInset.bottom;
    // One axis: the visible run starts at start (content coordinates) and is extent long.
    const auto axis = [](CGFloat start, CGFloat extent, CGFloat min, CGFloat length) {
        if (min < start || length > extent)
            return min;
        if (min + length > start + extent)
            return min + length - extent;
        return start;
    };
    const CGFloat x = axis(offset.x + m_contentInset.left, visibleWidth, target.origin.x, target.size.width);
    const CGFloat y = axis(offset.y + m_contentInset.top, visibleHeight, target.origin.y, target.size.height);
    setContentOffset(clampedOffset(CGPointMake(x - m_contentInset.left, y - m_contentInset.top)), animated);
}

void UIScrollView::panUpdated(UIPanGestureRecognizer& pan)
{
    switch (pan.state()) {
    case UIGestureRecognizerState::Began:
        ++m_decelerationGeneration;
        m_decelerating = false;
        m_dragging = true;
        m_dragStartOffset = contentOffset();
        if (m_delegate)
            m_delegate->scrollViewWillBeginDragging(*this);
        break;
    case UIGestureRecognizerState::Changed: {
        const CGPoint moved = pan.translationInView(this);
        setContentOffset(clampedOffset(CGPointMake(m_dragStartOffset.x - moved.x, m_dragStartOffset.y - moved.y)));
        break;
    }
    case UIGestureRecognizerState::Ended:
        endDragging(pan.velocityInView(this));
        break;
    case UIGestureRecognizerState::Cancelled:
        endDragging(CGPointZero);
        break;
    default:
        break;
    }
}

CGPoint UIScrollView::restingOffsetAfterDrag(CGPoint velocity) const
{
    const CGPoint offset = contentOffset();
    if (!m_pagingEnabled)
        return clampedOffset(CGPointMake(offset.x - velocity.x * kDecelerationCarry, offset.y - velocity.y * kDecelerationCarry));
    // A finger moving left (negative speed) carries the content on to the next page.
    const auto axis = [](CGFloat position, CGFloat page, CGFloat speed) {
        if (!(page > 0))
            return position;
        const CGFloat index = position / page;
        if (speed < -kPageFlickSpeed)
            return std::ceil(index) * page;
        if (speed > kPageFlickSpeed)
            return std::floor(index) * page;
        return std::round(index) * page;
    };
    return clampedOffset(CGPointMake(axis(offset.x, bounds().size.width, velocity.x),
                                     axis(offset.y, bounds().size.height, velocity.y)));
}

void UIScrollView::endDragging(CGPoint velocity)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    const CGPoint resting = restingOffsetAfterDrag(velocity);
    const bool decelerates = resting != contentOffset();
    if (m_delegate)
        m_delegate->scrollViewDidEndDragging(*this, decelerates);
    if (!decelerates)
        return;
    m_decelerating = true;
    const std::uint64_t generation = ++m_decelerationGeneration;
    const std::weak_ptr<UIView> weakSelf = weak_from_this();
    animateWithDuration(
        kDecelerationDuration, 0, UIViewAnimationOptionAllowUserInteraction, [&] { setContentOffset(resting); },
        [weakSelf, generation](bool) {
            auto self = std::static_pointer_cast<UIScrollView>(weakSelf.lock());
            if (!self || self->m_decelerationGeneration != generation)
                return;
            self->m_decelerating = false;
            if (self->m_delegate)
                self->m_delegate->scrollViewDidEndDecelerating(*self);
        });
}

void UIScrollView::registerInterfaceClass(InterfaceRegistry& r)
{
    using namespace InterfaceProperty;
    r.registerViewClass<UIScrollView>("UIScrollView", "UIView")
        .property("contentSize", prop<UIScrollView>(asSize, [](UIScrollView& s, CGSize c) { s.setContentSize(c); }))
        .property("pagingEnabled", prop<UIScrollView>(asFlag, [](UIScrollView& s, bool p) { s.setPagingEnabled(p); }))
        .property("scrollEnabled", prop<UIScrollView>(asFlag, [](UIScrollView& s, bool e) { s.setScrollEnabled(e); }))
        .property("bounces", prop<UIScrollView>(asFlag, [](UIScrollView& s, bool b) { s.setBounces(b); }))
        .property("showsHorizontalScrollIndicator",
                  prop<UIScrollView>(asFlag, [](UIScrollView& s, bool b) { s.setShowsHorizontalScrollIndicator(b); }))
        .property("showsVerticalScrollIndicator",
                  prop<UIScrollView>(asFlag, [](UIScrollView& s, bool b) { s.setShowsVerticalScrollIndicator(b); }));
}
