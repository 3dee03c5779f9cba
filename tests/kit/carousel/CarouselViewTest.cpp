#include "kit/carousel/CarouselView.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Plain views as pages; counts what the carousel asks for and hears.
struct Pages : CarouselViewDataSource, CarouselViewDelegate {
    std::int64_t count = 5;
    CGSize size = CGSizeMake(800, 550);
    int cellRequests = 0;
    std::vector<std::int64_t> heard;

    std::int64_t numberOfPagesInFlowView(CarouselView&) override { return count; }
    std::shared_ptr<UIView> flowViewCellForPageAtIndex(CarouselView& flow, std::int64_t) override
    {
        ++cellRequests;
        auto view = flow.dequeueReusableCell();
        return view ? view : UIView::create();
    }
    CGSize sizeForPageInFlowView(CarouselView&) override { return size; }
    void didScrollToPage(std::int64_t page, CarouselView&) override { heard.push_back(page); }
};

struct Carousel {
    std::shared_ptr<Pages> pages = std::make_shared<Pages>();
    CarouselViewPtr flow = CarouselView::create(CGRectMake(0, 0, 1024, 768));
    UIPageControlPtr dots = UIPageControl::create(CGRectMake(0, 0, 200, 20));

    explicit Carousel(std::int64_t count = 5, CGSize size = CGSizeMake(800, 550))
    {
        pages->count = count;
        pages->size = size;
        flow->setDataSource(pages);
        flow->setDelegate(pages);
        flow->setPageControl(dots);
        flow->layoutIfNeeded();
    }
    // A swipe that comes to rest at the offset.
    void restAt(CGFloat x)
    {
        flow->scrollView()->setContentOffset(CGPointMake(x, 0));
        flow->scrollViewDidEndDecelerating(*flow->scrollView());
    }
};

struct RangeCase {
    const char* name;
    std::int64_t pages;
    CGSize pageSize;
    CGFloat offset;
    NSRange expected;
};
// Printed by name in test listings and failures.
inline void PrintTo(const RangeCase& row, std::ostream* out) { *out << row.name; }

class CarouselRange : public testing::TestWithParam<RangeCase> {};

TEST_P(CarouselRange, PlacesTheVisibleStretchPlusOnePageEachSide)
{
    const RangeCase& c = GetParam();
    Carousel carousel(c.pages, c.pageSize);
    carousel.flow->scrollView()->setContentOffset(CGPointMake(c.offset, 0));
    EXPECT_EQ(carousel.flow->visibleRange(), c.expected);
    EXPECT_EQ(carousel.flow->scrollView()->subviews().size(), c.expected.length) << "only the range has views";
    for (std::int64_t i = 0; i < c.pages; ++i) {
        const auto at = static_cast<std::size_t>(i);
        EXPECT_EQ(carousel.flow->pageViewAtIndex(i) != nullptr,
                  at >= c.expected.location && at < c.expected.location + c.expected.length) << "page " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Carousel, CarouselRange,
                         testing::Values(RangeCase {"OnePage", 1, {800, 550}, 0, {0, 1}},
                                         RangeCase {"FirstOfFive", 5, {800, 550}, 0, {0, 3}},
                                         RangeCase {"MiddleOfTen", 10, {800, 550}, 4000, {3, 5}},
                                         RangeCase {"NoPages", 0, {800, 550}, 0, {0, 0}},
                                         RangeCase {"PagesWithoutWidth", 3, {0, 550}, 0, {0, 0}},
                                         RangeCase {"PagesWithoutSize", 3, {0, 0}, 1600, {0, 0}}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(Carousel, SidePagesFadeAndShrinkByTheirDistanceFromTheMiddle)
{
    Carousel carousel;
    carousel.flow->setMinimumPageAlpha(0.5);
    carousel.flow->setMinimumPageScale(0.9);
    carousel.flow->setNeedsLayout();
    carousel.flow->layoutIfNeeded();
    const auto page = [&](int i) { return carousel.flow->pageViewAtIndex(i); };
    EXPECT_DOUBLE_EQ(page(0)->alpha(), 1);
    EXPECT_EQ(page(0)->frame(), CGRectMake(0, 0, 800, 550));
    EXPECT_DOUBLE_EQ(page(1)->alpha(), 0.5);
    EXPECT_EQ(page(1)->frame(), CGRectMake(840, 40, 720, 470));

    carousel.flow->scrollView()->setContentOffset(CGPointMake(400, 0));
    EXPECT_DOUBLE_EQ(page(0)->alpha(), 0.75);
    EXPECT_EQ(page(0)->frame(), CGRectMake(20, 20, 760, 510));
}

// At full alpha and scale the carousel leaves how its pages look to whoever made them.
TEST(Carousel, FullAlphaAndScaleLeaveThePagesAlone)
{
    Carousel carousel;
    carousel.flow->pageViewAtIndex(1)->setAlpha(0.3);
    carousel.flow->scrollView()->setContentOffset(CGPointMake(400, 0));
    EXPECT_DOUBLE_EQ(carousel.flow->pageViewAtIndex(1)->alpha(), 0.3);
    EXPECT_EQ(carousel.flow->pageViewAtIndex(1)->frame(), CGRectMake(800, 0, 800, 550));
}

TEST(Carousel, PagesThatLeaveComeBackLastFirstAndReloadLetsThemGo)
{
    Carousel carousel(10);
    const std::vector<UIViewPtr> leaving {carousel.flow->pageViewAtIndex(0), carousel.flow->pageViewAtIndex(1),
                                          carousel.flow->pageViewAtIndex(2)};
    carousel.flow->setNeedsLayout();
    carousel.flow->layoutIfNeeded();
    EXPECT_EQ(carousel.pages->cellRequests, 3);

    carousel.flow->scrollView()->setContentOffset(CGPointMake(4000, 0));
    for (auto it = leaving.rbegin(); it != leaving.rend(); ++it) {
        EXPECT_EQ((*it)->superview(), nullptr);
        EXPECT_EQ(carousel.flow->dequeueReusableCell(), *it);
    }
    EXPECT_EQ(carousel.flow->dequeueReusableCell(), nullptr);

    // A reload with fewer pages takes the old pages out of the scroll view.
    const UIViewPtr old = carousel.flow->pageViewAtIndex(5);
    carousel.pages->count = 1;
    carousel.flow->reloadData();
    carousel.flow->layoutIfNeeded();
    EXPECT_EQ(old->superview(), nullptr);
    EXPECT_EQ(carousel.flow->scrollView()->subviews().size(), 1u);
    EXPECT_EQ(carousel.dots->numberOfPages(), 1);
}

TEST(Carousel, RestingPageReachesPageControlAndDelegateOnlyWhenItChanged)
{
    Carousel carousel(5);
    carousel.restAt(0);
    EXPECT_TRUE(carousel.pages->heard.empty());
    carousel.restAt(1600);
    carousel.restAt(1600);
    carousel.restAt(99999); // beyond the last page: the last page
    EXPECT_EQ(carousel.pages->heard, (std::vector<std::int64_t> {2, 4}));
    EXPECT_EQ(carousel.dots->currentPage(), 4);
    EXPECT_EQ(carousel.flow->currentPageIndex(), 4);

    // Scrolled to by the page dots, heard when the animation ends; a drag that stops on a page.
    carousel.flow->scrollToPage(1);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return carousel.pages->heard.size() == 3; }, 2.0));
    carousel.flow->scrollView()->setContentOffset(CGPointMake(2400, 0));
    carousel.flow->scrollViewDidEndDragging(*carousel.flow->scrollView(), false);
    EXPECT_EQ(carousel.pages->heard, (std::vector<std::int64_t> {2, 4, 1, 3}));
    EXPECT_EQ(carousel.dots->currentPage(), 3);
}

TEST(Carousel, EmptyOrSizelessCarouselRestsOnPageZeroAndScrollsNowhere)
{
    for (auto [count, size] : {std::pair<std::int64_t, CGSize> {0, {800, 550}}, {3, {0, 0}}}) {
        Carousel carousel(count, size);
        carousel.restAt(800);
        carousel.flow->scrollToPage(0);
        EXPECT_TRUE(carousel.pages->heard.empty());
        EXPECT_EQ(carousel.flow->currentPageIndex(), 0);
    }
    Carousel five(5);
    five.flow->scrollToPage(5); // past the last page it goes nowhere
    EXPECT_EQ(five.flow->scrollView()->contentOffset(), CGPointZero);
    EXPECT_TRUE(five.pages->heard.empty());
}

TEST(Carousel, TouchesReachTheMiddlePageOnlyAndTheScrollViewOutlivesItsDelegate)
{
    Carousel carousel(5);
    EXPECT_EQ(carousel.flow->hitTest(CGPointMake(512, 384)), carousel.flow->pageViewAtIndex(0));
    EXPECT_EQ(carousel.flow->hitTest(CGPointMake(1000, 384)), carousel.flow->scrollView());
    EXPECT_EQ(carousel.flow->hitTest(CGPointMake(1100, 384)), nullptr);

    auto scroll = carousel.flow->scrollView();
    carousel.flow.reset();
    EXPECT_EQ(scroll->delegate(), nullptr);
    scroll->setContentOffset(CGPointMake(800, 0));
}

} // namespace
