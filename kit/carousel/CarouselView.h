#pragma once

#include "kit/carousel/CarouselViewDataSource.h"
#include "kit/carousel/CarouselViewDelegate.h"
#include "platform/ui/NSRange.h"
#include "platform/ui/UIPageControl.h"
#include "platform/ui/UIScrollView.h"
#include "platform/ui/UIView.h"

#include <cstdint>
#include <memory>
#include <vector>

enum class CarouselViewOrientation : std::int32_t { Horizontal = 0, Vertical = 1 };

// A paged carousel: the middle page at full size, its neighbours shown beside it, shrunk and
// faded by their distance from the middle. The paging scroll view is one page in size and does
// not clip, so the neighbours show outside it; touches on them drag the scroll view.
//
// Only the pages of the visible stretch plus one on each side have views; the others go to a
// reuse list that the data source takes them back from, the last one put there first.
// The data source and the delegate are held weakly. Everything runs on the main run loop.
class CarouselView : public UIView, public UIScrollViewDelegate {
public:
    static std::shared_ptr<CarouselView> create(const CGRect& frame = CGRectZero);
    explicit CarouselView(const CGRect& frame = CGRectZero);
    ~CarouselView() override;

    std::shared_ptr<CarouselViewDataSource> dataSource() const { return m_dataSource.lock(); }
    void setDataSource(const std::shared_ptr<CarouselViewDataSource>& dataSource) { m_dataSource = dataSource; }
    std::shared_ptr<CarouselViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<CarouselViewDelegate>& delegate) { m_delegate = delegate; }
    const UIPageControlPtr& pageControl() const { return m_pageControl; }
    void setPageControl(UIPageControlPtr pageControl) { m_pageControl = std::move(pageControl); }

    // Written values show from the next layout pass or scroll step on.
    double minimumPageAlpha() const { return m_minimumPageAlpha; }
    void setMinimumPageAlpha(double alpha) { m_minimumPageAlpha = alpha; }
    double minimumPageScale() const { return m_minimumPageScale; }
    void setMinimumPageScale(double scale) { m_minimumPageScale = scale; }
    CarouselViewOrientation orientation() const { return m_orientation; }
    void setOrientation(CarouselViewOrientation orientation) { m_orientation = orientation; }
    // Writing it does not scroll.
    std::int64_t currentPageIndex() const { return m_currentPageIndex; }
    void setCurrentPageIndex(std::int64_t index) { m_currentPageIndex = index; }

    // The next layout pass asks the data source again and rebuilds every page.
    void reloadData();
    std::shared_ptr<UIView> dequeueReusableCell();
    // Scrolls, animated, to a page that exists; the page control and the delegate hear of it
    // when the animation has ended, as after a swipe.
    void scrollToPage(std::uint64_t page);

    const std::shared_ptr<UIScrollView>& scrollView() const { return m_scrollView; }
    NSRange visibleRange() const { return m_visibleRange; }
    std::int64_t pageCount() const { return m_pageCount; }
    CGSize pageSize() const { return m_pageSize; }
    // The view a page has now; none outside the visible stretch.
    std::shared_ptr<UIView> pageViewAtIndex(std::int64_t index) const;

    void layoutSubviews() override;
    std::shared_ptr<UIView> hitTest(CGPoint point) override;
    void scrollViewDidScroll(UIScrollView& scrollView) override;
    void scrollViewDidEndDecelerating(UIScrollView& scrollView) override;
    void scrollViewDidEndScrollingAnimation(UIScrollView& scrollView) override;
    void scrollViewDidEndDragging(UIScrollView& scrollView, bool willDecelerate) override;

private:
    void initialize();
    void reloadFromDataSource();
    void queueReusableCell(const std::shared_ptr<UIView>& cell);
    void removeCellAtIndex(std::size_t index);
    void setPageAtIndex(std::size_t index);
    void setPagesAtContentOffset(CGPoint offset);
    void refreshVisibleCellAppearance();
    // The page control and the delegate hear of the page in the middle once scrolling stopped.
    void settleOnRestingPage(UIScrollView& scrollView);
    bool horizontal() const { return m_orientation == CarouselViewOrientation::Horizontal; }
    // Along the paging direction.
    CGFloat pageExtent() const { return horizontal() ? m_pageSize.width : m_pageSize.height; }
    CGFloat along(CGPoint point) const { return horizontal() ? point.x : point.y; }
    CGRect pageFrame(std::size_t index) const;

    std::weak_ptr<CarouselViewDataSource> m_dataSource;
    std::weak_ptr<CarouselViewDelegate> m_delegate;
    UIPageControlPtr m_pageControl;
    std::shared_ptr<UIScrollView> m_scrollView;
    CarouselViewOrientation m_orientation = CarouselViewOrientation::Horizontal;
    bool m_needsReload = true;
    CGSize m_pageSize {};
    std::int64_t m_pageCount = 0;
    std::int64_t m_currentPageIndex = 0;
    double m_minimumPageAlpha = 1.0;
    double m_minimumPageScale = 1.0;
    // One slot per page: the page's view, or null while the page has none.
    std::vector<std::shared_ptr<UIView>> m_cells;
    std::vector<std::shared_ptr<UIView>> m_reusableCells;
    NSRange m_visibleRange;
};

using CarouselViewPtr = std::shared_ptr<CarouselView>;
