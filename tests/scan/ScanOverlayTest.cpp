#include "scan/ScanFrameGeometry.h"
#include "scan/ScanView.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
ScanViewStylePtr presenterStyle()
{
    auto style = ScanViewStyle::create();
    style->centerUpOffset = 0;
    style->xScanRetangleOffset = 200;
    return style;
}
} // namespace

TEST(ScanFrame, GeometryFollowsTheStyleAndClampsDegenerateInput)
{
    struct Case {
        const char* name;
        CGSize view;
        double inset, ratio, up;
        CGRect frame;
    } cases[] = {
        {"presenters on the tablet", {1024, 768}, 200, 1, 0, CGRectMake(200, 72, 624, 624)},
        {"ratio 2 halves the height", {1024, 768}, 200, 2, 0, CGRectMake(200, 228, 624, 312)},
        {"inset integer part only", {1024, 768}, 200.7, 1, 0, CGRectMake(200, 72, 624, 624)},
        {"defaults", {1024, 768}, 60, 1, 44, CGRectMake(60, -112, 904, 904)},
        {"ratio 0 counts as square", {1024, 768}, 200, 0, 0, CGRectMake(200, 72, 624, 624)},
        {"ratio not finite counts as square", {1024, 768}, 200, NAN, 0, CGRectMake(200, 72, 624, 624)},
        {"inset past half the view", {1024, 768}, 700, 1, 0, CGRectMake(512, 384, 0, 0)},
        {"negative inset", {100, 100}, -20, 1, 0, CGRectMake(0, 0, 100, 100)},
        {"zero-size view", {0, 0}, 200, 1, 0, CGRectMake(0, 0, 0, 0)},
        {"inset not finite", {100, 100}, INFINITY, 1, 0, CGRectMake(0, 0, 100, 100)},
    };
    for (const auto& c : cases) {
        auto style = presenterStyle();
        style->xScanRetangleOffset = c.inset;
        style->whRatio = c.ratio;
        style->centerUpOffset = c.up;
        EXPECT_EQ(ScanFrameGeometry::forView(c.view, *style).rect(), c.frame) << c.name;
    }
}

TEST(ScanFrame, RegionOfInterestStaysWithinTheUnitSquare)
{
    auto style = presenterStyle();
    EXPECT_EQ(ScanView::getScanRectWithPreView(*UIView::create(CGRectZero), *style), CGRectZero);
    // A tall view, and a frame pushed far above the view, still give a region inside the square.
    for (double up : {0.0, 5000.0}) {
        style->centerUpOffset = up;
        const CGRect r = ScanView::getScanRectWithPreView(*UIView::create(CGRectMake(0, 0, 400, 1000)), *style);
        EXPECT_TRUE(CGRectContainsRect(CGRectMake(0, 0, 1, 1), r)) << r.origin.x << " " << r.origin.y;
    }
}

TEST(ScanAnimation, StartingTwiceSweepsOnceAndNothingRunsAfterStop)
{
    ManualMainClock clock;
    UIView::resetAnimations();
    auto overlay = ScanView::initWithFrame(CGRectMake(0, 0, 1024, 768), presenterStyle());
    overlay->startScanAnimation();
    overlay->startScanAnimation();
    auto line = overlay->scanLineAnimation();
    ASSERT_TRUE(line);
    EXPECT_EQ(UIView::runningAnimations().size(), 2u); // one sweep: the fade-in and the fall
    EXPECT_EQ(line->frame(), CGRectMake(205, 688, 614, 4));

    clock.advance(3.1);
    EXPECT_TRUE(line->isHidden());
    EXPECT_EQ(RunLoop::main().pendingPerformCount(line.get()), 1u);
    clock.advance(0.3);
    EXPECT_FALSE(line->isHidden()); // the next sweep began at the top

    // Stopped mid-sweep and started again: the old sweep's end must not start a second chain.
    clock.advance(1);
    overlay->stopScanAnimation();
    EXPECT_EQ(line->superview(), nullptr);
    overlay->startScanAnimation();
    clock.advance(2.2); // past the old sweep's end, before the new one's
    EXPECT_EQ(RunLoop::main().pendingPerformCount(line.get()), 0u);
    EXPECT_FALSE(line->isHidden());

    overlay->stopScanAnimation();
    clock.advance(5);
    EXPECT_EQ(RunLoop::main().pendingPerformCount(line.get()), 0u);
    EXPECT_EQ(line->superview(), nullptr);
    EXPECT_TRUE(UIView::runningAnimations().empty());
}

TEST(ScanAnimation, OtherStylesAndTheReadyingView)
{
    ManualMainClock clock;
    auto style = presenterStyle();
    style->anmiationStyle = 3;
    auto overlay = ScanView::initWithFrame(CGRectMake(0, 0, 1024, 768), style);
    overlay->startScanAnimation();
    EXPECT_TRUE(overlay->subviews().empty());

    style->anmiationStyle = 1;
    overlay->startScanAnimation();
    overlay->startScanAnimation();
    ASSERT_TRUE(overlay->scanNetAnimation());
    clock.advance(1.5);
    EXPECT_EQ(RunLoop::main().pendingPerformCount(overlay->scanNetAnimation().get()), 1u);
    overlay->stopScanAnimation();
    EXPECT_EQ(RunLoop::main().pendingPerformCount(overlay->scanNetAnimation().get()), 0u);

    overlay->startDeviceReadyingWithText("相机启动中");
    auto spinner = overlay->activityView();
    overlay->startDeviceReadyingWithText("again");
    EXPECT_EQ(overlay->activityView(), spinner);
    EXPECT_EQ(spinner->center(), CGPointMake(462, 384));
    EXPECT_EQ(overlay->labelReadying()->text(), "相机启动中");
    overlay->stopDeviceReadying();
    EXPECT_FALSE(overlay->activityView());
    EXPECT_EQ(spinner->superview(), nullptr);
}
