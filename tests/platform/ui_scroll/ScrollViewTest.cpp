#include "tests/support/GeometryPrinting.h"
#include "platform/ui/GestureDriver.h"
#include "platform/ui/UIScrollView.h"
#include "platform/ui/ViewRenderer.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Counts layout passes, and may move itself from inside one.
class CountingScrollView : public UIScrollView {
public:
    using UIScrollView::UIScrollView;
    int passes = 0;
    std::optional<CGPoint> moveDuringLayout;
    void layoutSubviews() override
    {
        LayoutPassScope scope(*this);
        ++passes;
        if (auto target = moveDuringLayout) {
            moveDuringLayout.reset();
            setContentOffset(*target);
        }
    }
};

struct ScrollEvents : UIScrollViewDelegate {
    int scrolled = 0;
    int endedDecelerating = 0;
    std::vector<bool> endedDragging;
    void scrollViewDidScroll(UIScrollView&) override { ++scrolled; }
    void scrollViewDidEndDragging(UIScrollView&, bool decelerate) override { endedDragging.push_back(decelerate); }
    void scrollViewDidEndDecelerating(UIScrollView&) override { ++endedDecelerating; }
};

std::shared_ptr<CountingScrollView> pagedView()
{
    auto view = std::make_shared<CountingScrollView>(CGRectMake(0, 0, 1000, 600));
    view->setContentSize(CGSizeMake(5000, 600));
    view->setPagingEnabled(true);
    view->layoutIfNeeded();
    view->passes = 0;
    return view;
}

} // namespace

TEST(ScrollView, OffsetIsTheBoundsOriginAndRunsOneLayoutPass)
{
    auto view = pagedView();
    ScrollEvents events;
    view->setDelegate(&events);
    view->setContentOffset(CGPointMake(250, 0));
    EXPECT_EQ(view->bounds(), CGRectMake(250, 0, 1000, 600));
    EXPECT_EQ(view->frame(), CGRectMake(0, 0, 1000, 600));
    EXPECT_EQ(view->passes, 1);
    EXPECT_EQ(events.scrolled, 1);

    // The same offset again, or one that is not a number, changes nothing.
    view->setContentOffset(CGPointMake(250, 0));
    view->setContentOffset(CGPointMake(std::nan(""), 0));
    view->setContentOffset(CGPointMake(std::numeric_limits<double>::infinity(), 0));
    EXPECT_EQ(view->contentOffset(), CGPointMake(250, 0));
    EXPECT_EQ(view->passes, 1);

    // A move made inside a layout pass is laid out afterwards, not inside the pass.
    view->moveDuringLayout = CGPointMake(1000, 0);
    view->setContentOffset(CGPointMake(300, 0));
    EXPECT_EQ(view->contentOffset(), CGPointMake(1000, 0));
    EXPECT_EQ(view->passes, 2);
    EXPECT_TRUE(view->needsLayout());
    view->layoutIfNeeded();
    EXPECT_EQ(view->passes, 3);
    view->setDelegate(nullptr);
}

TEST(ScrollView, OffsetRangeNeverInverts)
{
    auto view = UIScrollView::create(CGRectMake(0, 0, 400, 300));
    view->setContentSize(CGSizeMake(100, 50));
    EXPECT_EQ(view->minimumContentOffset(), CGPointZero);
    EXPECT_EQ(view->maximumContentOffset(), CGPointZero);
    view->setContentInset(UIEdgeInsetsMake(10, 20, 30, 40));
    view->setContentSize(CGSizeMake(1000, 1000));
    EXPECT_EQ(view->minimumContentOffset(), CGPointMake(-20, -10));
    EXPECT_EQ(view->maximumContentOffset(), CGPointMake(640, 730));
}

TEST(ScrollView, ScrollRectToVisibleMovesTheLeastAndStaysInRange)
{
    auto view = UIScrollView::create(CGRectMake(0, 0, 400, 300));
    view->setContentSize(CGSizeMake(2000, 2000));
    view->scrollRectToVisible(CGRectMake(100, 100, 50, 50), false);
    EXPECT_EQ(view->contentOffset(), CGPointZero);
    view->scrollRectToVisible(CGRectMake(500, 350, 50, 50), false);
    EXPECT_EQ(view->contentOffset(), CGPointMake(150, 100));
    view->scrollRectToVisible(CGRectMake(20, 30, 10, 10), false);
    EXPECT_EQ(view->contentOffset(), CGPointMake(20, 30));
    // Larger than the view: its top-left corner shows.
    view->scrollRectToVisible(CGRectMake(700, 800, 900, 900), false);
    EXPECT_EQ(view->contentOffset(), CGPointMake(700, 800));
    // Beyond the content: as far as the content goes.
    view->scrollRectToVisible(CGRectMake(5000, -80, 10, 10), false);
    EXPECT_EQ(view->contentOffset(), CGPointMake(1600, 0));
    view->scrollRectToVisible(CGRectMake(std::nan(""), 0, 10, 10), false);
    EXPECT_EQ(view->contentOffset(), CGPointMake(1600, 0));
}

TEST(ScrollView, DragFollowsTheFingerAndSettlesOnAPage)
{
    ManualMainClock clock;
    auto view = pagedView();
    ScrollEvents events;
    view->setDelegate(&events);
    auto& pan = *view->panGestureRecognizer();

    ASSERT_TRUE(GestureDriver::begin(pan, {{800, 300}}));
    EXPECT_TRUE(view->isDragging());
    clock.clock().advance(1);
    GestureDriver::change(pan, {{400, 300}});
    // The finger is in the view's space, which moves with the content.
    EXPECT_EQ(view->contentOffset(), CGPointMake(400, 0));
    GestureDriver::change(pan, {{700, 310}});
    EXPECT_EQ(view->contentOffset(), CGPointMake(500, 0));
    // Slowly released just past half a page: it settles on the second page.
    clock.clock().advance(1);
    GestureDriver::change(pan, {{690, 300}});
    GestureDriver::end(pan);
    EXPECT_FALSE(view->isDragging());
    EXPECT_TRUE(view->isDecelerating());
    EXPECT_EQ(view->contentOffset(), CGPointMake(1000, 0));
    EXPECT_EQ(events.endedDragging, std::vector<bool> {true});
    clock.advance(0.4);
    EXPECT_FALSE(view->isDecelerating());
    EXPECT_EQ(events.endedDecelerating, 1);

    // Dragging is held to the content: never before the first page.
    ASSERT_TRUE(GestureDriver::begin(pan, {{100, 300}}));
    GestureDriver::change(pan, {{2000, 300}});
    EXPECT_EQ(view->contentOffset(), CGPointZero);
    GestureDriver::end(pan);
    EXPECT_FALSE(view->isDecelerating());
    view->setDelegate(nullptr);
}

TEST(ScrollView, FlickTurnsOnePageAndANewDragStopsTheDeceleration)
{
    ManualMainClock clock;
    auto view = pagedView();
    auto& pan = *view->panGestureRecognizer();
    ASSERT_TRUE(GestureDriver::begin(pan, {{600, 300}}));
    clock.clock().advance(0.1);
    GestureDriver::change(pan, {{500, 300}});
    GestureDriver::end(pan);
    // 100 points in 0.1 s leftwards: on to the next page though only a tenth of one was dragged.
    EXPECT_EQ(view->contentOffset(), CGPointMake(1000, 0));
    ASSERT_TRUE(view->isDecelerating());

    ASSERT_TRUE(GestureDriver::begin(pan, {{500, 300}}));
    EXPECT_FALSE(view->isDecelerating());
    clock.advance(0.5);
    // The old deceleration's end does not touch the drag that replaced it.
    EXPECT_TRUE(view->isDragging());
    GestureDriver::cancel(pan);
    EXPECT_FALSE(view->isDragging());

    view->setScrollEnabled(false);
    EXPECT_FALSE(GestureDriver::begin(pan, {{500, 300}}));
}

TEST(ScrollViewClipping, HidesContentOutsideItsBoundsUnlessTurnedOff)
{
    for (const bool clips : {true, false}) {
        auto root = UIView::create(CGRectMake(0, 0, 100, 40));
        root->setBackgroundColor(UIColor::whiteColor());
        auto scroll = UIScrollView::create(CGRectMake(20, 0, 60, 40));
        scroll->setClipsToBounds(clips ? scroll->clipsToBounds() : false);
        auto content = UIView::create(CGRectMake(0, 0, 180, 40));
        content->setBackgroundColor(UIColor::blackColor());
        scroll->addSubview(content);
        root->addSubview(scroll);
        scroll->setContentOffset(CGPointMake(60, 0)); // the previous page lies to the left
        const auto image = ViewRenderer::render(*root);
        EXPECT_EQ(image->pixelAt(10, 20).red, clips ? 255 : 0) << clips;
        EXPECT_EQ(image->pixelAt(90, 20).red, clips ? 255 : 0) << clips; // the next page, to the right
        EXPECT_EQ(image->pixelAt(50, 20).red, 0) << clips;
    }
}
