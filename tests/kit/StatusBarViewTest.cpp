#include "kit/StatusBarView.h"

#include <gtest/gtest.h>

TEST(StatusBarView, LaysOutTheLabelAndOnlyAnIndicatorThatExists)
{
    auto bar = StatusBarView::create(CGRectMake(0, 0, 1024, 20));
    bar->layoutIfNeeded();
    EXPECT_EQ(bar->textLabel()->frame(), CGRectMake(0, 1, 1024, 19));
    EXPECT_FALSE(bar->hasActivityIndicatorView()); // layout does not make one

    bar->setTextVerticalPositionAdjustment(2);
    EXPECT_TRUE(bar->needsLayout());
    bar->layoutIfNeeded();
    EXPECT_EQ(bar->textLabel()->frame().origin.y, 3);
    bar->setTextVerticalPositionAdjustment(-1);
    bar->layoutIfNeeded();
    EXPECT_EQ(bar->textLabel()->frame().origin.y, 0);

    // Asked for once, the indicator is placed by every later layout: without text its right edge
    // is 8 points left of the middle. Scaled to 0.7 it is 14 points square.
    const auto& indicator = bar->activityIndicatorView();
    bar->setNeedsLayout();
    bar->layoutIfNeeded();
    EXPECT_EQ(indicator->frame(), CGRectMake(512 - 8 - 14, 4, 14, 14)); // y = ceil(3 + 1)
}

TEST(StatusBarView, IndicatorStandsLeftOfTheCentredText)
{
    auto bar = StatusBarView::create(CGRectMake(0, 0, 101, 25));
    bar->textLabel()->setFont(UIFont::systemFontOfSize(12));
    bar->textLabel()->setText("连接中abc"); // 3 × 12 + 3 × 6 = 54 points
    EXPECT_DOUBLE_EQ(bar->currentTextSize().width, 54);
    EXPECT_DOUBLE_EQ(bar->currentTextSize().height, 14.4);
    bar->activityIndicatorView();
    bar->setNeedsLayout();
    bar->layoutIfNeeded();
    // round((101 - 54) / 2) = round(23.5) = 24, halves away from zero; y = ceil(5.5 + 1) = 7.
    EXPECT_EQ(bar->activityIndicatorView()->frame(), CGRectMake(24 - 14 - 8, 7, 14, 14));
}
