#pragma once

class UIScrollView;

// What a scroll view reports as it moves. Every method is optional.
class UIScrollViewDelegate {
public:
    virtual ~UIScrollViewDelegate() = default;

    virtual void scrollViewDidScroll(UIScrollView&) {}
    virtual void scrollViewWillBeginDragging(UIScrollView&) {}
    virtual void scrollViewDidEndDragging(UIScrollView&, bool /*willDecelerate*/) {}
    virtual void scrollViewDidEndDecelerating(UIScrollView&) {}
    virtual void scrollViewDidEndScrollingAnimation(UIScrollView&) {}
};
