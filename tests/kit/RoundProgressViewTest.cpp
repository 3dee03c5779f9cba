#include "kit/RoundProgressView.h"
#include "platform/ui/ViewRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

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

TEST(RoundProgressView, SliceFillsClockwiseFromTwelveWhateverTheProgress)
{
    auto view = RoundProgressView::create();
    view->clearNeedsDisplay();
    view->setProgress(0.5f);
    EXPECT_TRUE(view->needsDisplay()) << "a new progress is drawn";

    const auto empty = drawn(0);
    ASSERT_TRUE(empty.picture);
    EXPECT_EQ(empty.alphaAt(18.5, 2.5), 255) << "ring";
    EXPECT_EQ(empty.alphaAt(0.5, 0.5), 0) << "outside the ring";

    // The quarters filled ('#') or faint ('.'), clockwise from twelve. Too much fills the gauge, a
    // negative progress runs the long way round, to nine o'clock, and NaN draws none.
    const std::pair<float, const char*> slices[] = {
        {0, "...."},     {0.25f, "#..."},  {1, "####"}, {3.5f, "####"},
        {1e30f, "####"}, {-0.25f, "###."}, {std::numeric_limits<float>::quiet_NaN(), "...."}};
    const std::pair<double, double> quarters[] = {{25, 12}, {25, 25}, {12, 25}, {12, 12}};
    for (const auto& [progress, expected] : slices) {
        const auto gauge = drawn(progress);
        std::string got;
        for (const auto& [x, y] : quarters) {
            const int alpha = gauge.alphaAt(x, y);
            got += alpha == 255 ? '#' : std::abs(alpha - kFaint) <= 3 ? '.' : '?';
        }
        EXPECT_EQ(got, expected) << progress;
    }
}
