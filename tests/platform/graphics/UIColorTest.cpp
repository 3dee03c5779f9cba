#include "platform/graphics/UIColor.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(UIColor, WhiteConvertsToRgbButRgbIsNoWhite)
{
    EXPECT_EQ(UIColor::whiteColor(), UIColor::whiteColor()); // one object per name
    const auto grey = UIColor::colorWithWhite(0.25, 0.5)->rgba();
    EXPECT_DOUBLE_EQ(grey.red, 0.25);
    EXPECT_DOUBLE_EQ(grey.blue, 0.25);
    EXPECT_DOUBLE_EQ(grey.alpha, 0.5);
    double white = -1, alpha = -1;
    EXPECT_FALSE(UIColor::redColor()->getWhite(white, alpha));
    EXPECT_EQ(UIColor::redColor()->component(7), 0); // out of range reads nothing
}

TEST(UIColor, EqualityComparesModelAndComponents)
{
    EXPECT_TRUE(UIColor::colorWithWhite(1, 1)->isEqual(*UIColor::whiteColor()));
    // Looks the same but is another model: not equal, as on the platform.
    EXPECT_FALSE(UIColor::colorWithRed(1, 1, 1, 1)->isEqual(*UIColor::whiteColor()));
    EXPECT_FALSE(UIColor::colorWithWhite(0, 0)->isEqual(*UIColor::blackColor()));
    EXPECT_TRUE(UIColor::equal(nullptr, nullptr));
    EXPECT_FALSE(UIColor::equal(UIColor::clearColor(), nullptr));

    const auto faded = UIColor::redColor()->colorWithAlphaComponent(0.75);
    EXPECT_EQ(faded->model(), UIColor::Model::RGB);
    EXPECT_DOUBLE_EQ(faded->alpha(), 0.75);
    EXPECT_DOUBLE_EQ(faded->rgba().red, 1);

    // Components outside 0..1 and NaN are clamped rather than carried into drawing.
    const auto wild = UIColor::colorWithRed(2, -1, std::nan(""), 0.5)->rgba();
    EXPECT_DOUBLE_EQ(wild.red, 1);
    EXPECT_DOUBLE_EQ(wild.green, 0);
    EXPECT_DOUBLE_EQ(wild.blue, 0);
}
