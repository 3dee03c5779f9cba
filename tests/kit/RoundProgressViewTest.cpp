#include "kit/RoundProgressView.h"
#include "platform/ui/ViewRenderer.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// Alpha of the gauge at a point (in points) of a 37-point gauge drawn at scale 2.
struct Gauge {
    std::shared_ptr<UIImage> picture;
    int alphaAt(double x, double y) const { return picture->pixelAt(int(x * 2), int(y * 2)).alpha; }
};

Gauge drawn(float progress)
{
    auto view = RoundProgressView::create();
    view->setProgress(progress);
    return {ViewRenderer::render(*view, 2)};
}

constexpr double kFaint = 0.1 * 255;

} // namespace

TEST(RoundProgressView, SliceFillsClockwiseFromTwelve)
{
    auto view = RoundProgressView::create();
    view->clearNeedsDisplay();
    view->setProgress(0.5f);
    EXPECT_TRUE(view->needsDisplay()) << "a new progress is drawn";

    const auto empty = drawn(0);
    ASSERT_TRUE(empty.picture);
    EXPECT_NEAR(empty.alphaAt(25, 12), kFaint, 3);
    EXPECT_EQ(empty.alphaAt(18.5, 2.5), 255) << "ring";
    EXPECT_EQ(empty.alphaAt(0.5, 0.5), 0) << "outside the ring";

    const auto quarter = drawn(0.25f);
    EXPECT_EQ(quarter.alphaAt(25, 12), 255) << "twelve to three";
    EXPECT_NEAR(quarter.alphaAt(12, 12), kFaint, 3);
    EXPECT_NEAR(quarter.alphaAt(25, 25), kFaint, 3);
    EXPECT_NEAR(quarter.alphaAt(12, 25), kFaint, 3);

    const auto full = drawn(1);
    for (auto [x, y] : {std::pair {25.0, 12.0}, {12.0, 12.0}, {25.0, 25.0}, {12.0, 25.0}})
        EXPECT_EQ(full.alphaAt(x, y), 255) << x << "," << y;
}

TEST(RoundProgressView, OutOfRangeProgressStillDraws)
{
    const auto over = drawn(3.5f);
    EXPECT_EQ(over.alphaAt(12, 12), 255);
    EXPECT_EQ(over.alphaAt(12, 25), 255);

    const auto huge = drawn(1e30f);
    EXPECT_EQ(huge.alphaAt(12, 25), 255);

    // A negative progress runs the long way round, clockwise from twelve to nine o'clock.
    const auto negative = drawn(-0.25f);
    EXPECT_EQ(negative.alphaAt(25, 12), 255);
    EXPECT_EQ(negative.alphaAt(12, 25), 255);
    EXPECT_NEAR(negative.alphaAt(12, 12), kFaint, 3);

    const auto nan = drawn(std::numeric_limits<float>::quiet_NaN());
    EXPECT_NEAR(nan.alphaAt(25, 12), kFaint, 3);
}
