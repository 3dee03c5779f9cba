#include "kit/carousel/CarouselView.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<CarouselView> CarouselView::create(const CGRect& frame)
{
    return std::make_shared<CarouselView>(frame);
}

CarouselView::CarouselView(const CGRect& frame)
    : UIView(frame)
{
    initialize();
}

CarouselView::~CarouselView()
{
    // The scroll view may outlive us in someone's hands; it must not call back into a dead view.
    m_scrollView->setDelegate(nullptr);
}

void CarouselView::initialize()
{
    setClipsToBounds(true);
    m_needsReload = true;
    m_pageSize = bounds().size;

    m_scrollView = UIScrollView::create(bounds());
    m_scrollView->setDelegate(this);
    m_scrollView->setPagingEnabled(true);
    m_scrollView->setClipsToBounds(false);
    m_scrollView->setShowsHorizontalScrollIndicator(false);
    m_scrollView->setShowsVerticalScrollIndicator(false);

    auto container = UIView::create(bounds());
    container->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    container->setBackgroundColor(UIColor::clearColor());
    container->addSubview(m_scrollView);
    addSubview(container);
}

void CarouselView::reloadData()
{
    m_needsReload = true;
    setNeedsLayout();
}

std::shared_ptr<UIView> CarouselView::dequeueReusableCell()
{
    if (m_reusableCells.empty())
        return nullptr;
    auto cell = std::move(m_reusableCells.back());
    m_reusableCells.pop_back();
    return cell;
}

std::shared_ptr<UIView> CarouselView::pageViewAtIndex(std::int64_t index) const
{
    if (index < 0 || static_cast<std::uint64_t>(index) >= m_cells.size())
        return nullptr;
    return m_cells[static_cast<std::size_t>(index)];
}

CGRect CarouselView::pageFrame(std::size_t index) const
{
    const auto i = static_cast<CGFloat>(index);
    return horizontal() ? CGRectMake(m_pageSize.width * i, 0, m_pageSize.width, m_pageSize.height)
                        : CGRectMake(0, m_pageSize.height * i, m_pageSize.width, m_pageSize.height);
}

void CarouselView::layoutSubviews()
{
    UIView::layoutSubviews();
    if (m_needsReload)
        reloadFromDataSource();
    setPagesAtContentOffset(m_scrollView->contentOffset());
    refreshVisibleCellAppearance();
}

void CarouselView::reloadFromDataSource()
{
    if (auto source = dataSource()) {
        m_pageCount = std::max<std::int64_t>(source->numberOfPagesInFlowView(*this), 0);
        if (m_pageControl)
            m_pageControl->setNumberOfPages(m_pageCount);
    }
    if (auto sizer = delegate())
        m_pageSize = sizer->sizeForPageInFlowView(*this);

    // The pages of the old count leave the scroll view with their slots.
    for (const auto& cell : m_cells)
        if (cell)
            cell->removeFromSuperview();
    m_reusableCells.clear();
    m_visibleRange = {};
    m_cells.assign(static_cast<std::size_t>(m_pageCount), nullptr);

    const CGFloat count = static_cast<CGFloat>(m_pageCount);
    m_scrollView->setFrame(CGRectMake(0, 0, m_pageSize.width, m_pageSize.height));
    m_scrollView->setContentSize(horizontal() ? CGSizeMake(m_pageSize.width * count, m_pageSize.height)
                                              : CGSizeMake(m_pageSize.width, m_pageSize.height * count));
    m_scrollView->setCenter(CGPointMake(CGRectGetMidX(bounds()), CGRectGetMidY(bounds())));
    m_needsReload = false;
}

void CarouselView::queueReusableCell(const std::shared_ptr<UIView>& cell)
{
    m_reusableCells.push_back(cell);
}

void CarouselView::removeCellAtIndex(std::size_t index)
{
    auto cell = std::move(m_cells[index]);
    if (!cell)
        return;
    queueReusableCell(cell);
    if (cell->superview())
        cell->removeFromSuperview();
}

void CarouselView::setPageAtIndex(std::size_t index)
{
    if (m_cells[index])
        return;
    auto source = dataSource();
    auto cell = source ? source->flowViewCellForPageAtIndex(*this, static_cast<std::int64_t>(index)) : nullptr;
    if (!cell)
        return;
    m_cells[index] = cell;
    cell->setFrame(pageFrame(index));
    if (!cell->superview())
        m_scrollView->addSubview(cell);
}

// The pages that show across the whole flow view (side pages included), plus one each side.
// With no pages, or pages without extent, nothing is placed and every view goes for reuse.
void CarouselView::setPagesAtContentOffset(CGPoint offset)
{
    const std::size_t slots = m_cells.size();
    const CGFloat extent = pageExtent();
    if (slots == 0 || !(extent > 0) || !std::isfinite(extent)) {
        m_visibleRange = {};
        for (std::size_t i = 0; i < slots; ++i)
            removeCellAtIndex(i);
        return;
    }
    const CGFloat start = along(offset) - along(m_scrollView->frame().origin);
    const CGFloat end = start + (horizontal() ? bounds().size.width : bounds().size.height);
    const auto edge = [extent](std::size_t i, std::size_t k) { return extent * static_cast<CGFloat>(i + k); };

    std::size_t first = 0;
    while (first < slots && !(edge(first, 1) > start))
        ++first;
    if (first == slots)
        first = 0;
    std::size_t last = first;
    for (std::size_t i = first; i < slots; ++i) {
        if ((edge(i, 1) < end && end <= edge(i, 2)) || i + 2 == slots) {
            last = i + 1;
            break;
        }
    }
    const std::size_t from = first > 0 ? first - 1 : 0;
    const std::size_t to = std::min(last + 1, slots - 1);
    m_visibleRange = {from, to - from + 1};

    for (std::size_t i = from; i <= to; ++i)
        setPageAtIndex(i);
    for (std::size_t i = 0; i < slots; ++i)
        if (i < from || i > to)
            removeCellAtIndex(i);
}

void CarouselView::refreshVisibleCellAppearance()
{
    if (m_minimumPageAlpha == 1.0 && m_minimumPageScale == 1.0)
        return;
    const CGFloat extent = pageExtent();
    const CGFloat offset = along(m_scrollView->contentOffset());
    const std::size_t end = std::min(m_visibleRange.location + m_visibleRange.length, m_cells.size());
    for (std::size_t i = m_visibleRange.location; i < end; ++i) {
        const auto& cell = m_cells[i];
        if (!cell)
            continue;
        const CGFloat distance = std::fabs(along(cell->frame().origin) - offset);
        CGFloat alpha = m_minimumPageAlpha;
        CGFloat inset = extent * (1 - m_minimumPageScale) / 2;
        if (distance < extent) {
            alpha = 1 - (distance / extent) * (1 - m_minimumPageAlpha);
            inset = extent * (1 - m_minimumPageScale) * (distance / extent) / 2;
        }
        const CGRect base = pageFrame(i);
        animateWithDuration(0.2, [&] {
            cell->setAlpha(alpha);
            cell->setFrame(CGRectInset(base, inset, inset));
        });
    }
}

void CarouselView::scrollToPage(std::uint64_t page)
{
    if (m_pageCount <= 0 || page >= static_cast<std::uint64_t>(m_pageCount))
        return;
    const CGFloat at = pageExtent() * static_cast<CGFloat>(page);
    m_scrollView->setContentOffset(horizontal() ? CGPointMake(at, 0) : CGPointMake(0, at), true);
    setPagesAtContentOffset(m_scrollView->contentOffset());
    refreshVisibleCellAppearance();
}

void CarouselView::scrollViewDidScroll(UIScrollView& scrollView)
{
    setPagesAtContentOffset(scrollView.contentOffset());
    refreshVisibleCellAppearance();
}

void CarouselView::scrollViewDidEndDecelerating(UIScrollView& scrollView)
{
    settleOnRestingPage(scrollView);
}

// A tap on the page dots scrolls by animation, and a drag may stop right on a page: the page
// they leave in the middle is as much the current one as where a swipe coasts to.
void CarouselView::scrollViewDidEndScrollingAnimation(UIScrollView& scrollView)
{
    settleOnRestingPage(scrollView);
}

void CarouselView::scrollViewDidEndDragging(UIScrollView& scrollView, bool willDecelerate)
{
    if (!willDecelerate)
        settleOnRestingPage(scrollView);
}

// The page is where the scroll view came to rest, within the pages there are.
void CarouselView::settleOnRestingPage(UIScrollView& scrollView)
{
    std::int64_t page = 0;
    const CGFloat extent = pageExtent();
    const bool known = m_orientation == CarouselViewOrientation::Horizontal
        || m_orientation == CarouselViewOrientation::Vertical;
    if (known && extent > 0 && m_pageCount > 0) {
        const CGFloat at = std::floor(along(scrollView.contentOffset()) / extent);
        if (std::isfinite(at))
            page = static_cast<std::int64_t>(std::clamp<CGFloat>(at, 0, static_cast<CGFloat>(m_pageCount - 1)));
    }
    if (m_pageControl)
        m_pageControl->setCurrentPage(page);
    if (auto listener = delegate(); listener && page != m_currentPageIndex)
        listener->didScrollToPage(page, *this);
    m_currentPageIndex = page;
}

// Touches on the middle page reach it; touches on side pages and margins drag the scroll view.
std::shared_ptr<UIView> CarouselView::hitTest(CGPoint point)
{
    if (isHidden() || !isUserInteractionEnabled() || !pointInside(point))
        return nullptr;
    const CGPoint origin = m_scrollView->frame().origin;
    const CGPoint offset = m_scrollView->contentOffset();
    const CGPoint inContent = CGPointMake(point.x - origin.x + offset.x, point.y - origin.y + offset.y);
    if (m_scrollView->pointInside(inContent))
        return m_scrollView->hitTest(inContent);
    return m_scrollView;
}
