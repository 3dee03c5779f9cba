#pragma once

#include "platform/graphics/UIEdgeInsets.h"
#include "platform/ui/UIPanGestureRecognizer.h"
#include "platform/ui/UIScrollViewDelegate.h"
#include "platform/ui/UIView.h"

#include <cstdint>
#include <memory>

class InterfaceRegistry;

// A view whose bounds origin is the content offset: moving it shows another part of the content,
// and each move runs a layout pass so that subclasses can fill in what came into view. It clips
// to its bounds from the start; setClipsToBounds(false) lets its content show outside.
//
// Dragging comes from its own pan recogniser (driven by GestureDriver in tests). When the finger
// lifts, the view decelerates: to the nearest page (in the direction of the flick) when paging,
// otherwise on along the flick; deceleration is an animation and ends on the main run loop.
class UIScrollView : public UIView {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    static std::shared_ptr<UIScrollView> create(const CGRect& frame = CGRectZero);
    explicit UIScrollView(const CGRect& frame = CGRectZero);
    ~UIScrollView() override;

    CGPoint contentOffset() const { return bounds().origin; }
    // Not clamped: code may place the content anywhere. A point that is not finite is ignored.
    void setContentOffset(CGPoint offset);
    void setContentOffset(CGPoint offset, bool animated);
    CGSize contentSize() const { return m_contentSize; }
    void setContentSize(CGSize size);
    UIEdgeInsets contentInset() const { return m_contentInset; }
    void setContentInset(UIEdgeInsets insets) { m_contentInset = insets; }

    // The range a drag or scrollRectToVisible keeps the offset in; the maximum is never below the
    // minimum, even when the content is smaller than the bounds.
    CGPoint minimumContentOffset() const;
    CGPoint maximumContentOffset() const;

    // The smallest move that shows the rectangle (its top-left part when it is larger than the
    // visible area), within the offset range.
    void scrollRectToVisible(const CGRect& rect, bool animated);

    bool isPagingEnabled() const { return m_pagingEnabled; }
    void setPagingEnabled(bool enabled) { m_pagingEnabled = enabled; }
    bool isScrollEnabled() const { return m_panGestureRecognizer->isEnabled(); }
    void setScrollEnabled(bool enabled) { m_panGestureRecognizer->setEnabled(enabled); }
    bool bounces() const { return m_bounces; }
    void setBounces(bool bounces) { m_bounces = bounces; }
    bool showsHorizontalScrollIndicator() const { return m_showsHorizontalScrollIndicator; }
    void setShowsHorizontalScrollIndicator(bool shows) { m_showsHorizontalScrollIndicator = shows; }
    bool showsVerticalScrollIndicator() const { return m_showsVerticalScrollIndicator; }
    void setShowsVerticalScrollIndicator(bool shows) { m_showsVerticalScrollIndicator = shows; }

    bool isTracking() const { return m_dragging; }
    bool isDragging() const { return m_dragging; }
    bool isDecelerating() const { return m_decelerating; }

    const std::shared_ptr<UIPanGestureRecognizer>& panGestureRecognizer() const { return m_panGestureRecognizer; }

    // Not owned: whoever sets a delegate clears it before the delegate goes away.
    UIScrollViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(UIScrollViewDelegate* delegate) { m_delegate = delegate; }

protected:
    // Held by a subclass's layoutSubviews: an offset change made inside the pass (a subclass
    // re-aligning its page) marks the view for another pass instead of re-entering this one.
    class LayoutPassScope {
    public:
        explicit LayoutPassScope(UIScrollView& view) : m_view(view) { ++m_view.m_layoutDepth; }
        ~LayoutPassScope() { --m_view.m_layoutDepth; }
        LayoutPassScope(const LayoutPassScope&) = delete;
        LayoutPassScope& operator=(const LayoutPassScope&) = delete;

    private:
        UIScrollView& m_view;
    };

private:
    void runLayoutPass();
    void panUpdated(UIPanGestureRecognizer& pan);
    void endDragging(CGPoint velocity);
    CGPoint clampedOffset(CGPoint offset) const;
    CGPoint restingOffsetAfterDrag(CGPoint velocity) const;

    CGSize m_contentSize {};
    UIEdgeInsets m_contentInset {};
    bool m_pagingEnabled = false;
    bool m_bounces = true;
    bool m_showsHorizontalScrollIndicator = true;
    bool m_showsVerticalScrollIndicator = true;
    bool m_dragging = false;
    bool m_decelerating = false;
    // Tells a deceleration's completion whether a newer drag has taken over.
    std::uint64_t m_decelerationGeneration = 0;
    CGPoint m_dragStartOffset {};
    int m_layoutDepth = 0;
    UIScrollViewDelegate* m_delegate = nullptr;
    std::shared_ptr<UIPanGestureRecognizer> m_panGestureRecognizer;
};
