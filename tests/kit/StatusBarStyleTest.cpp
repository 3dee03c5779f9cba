#include "kit/StatusBarStyle.h"
#include "platform/ui/UIScreen.h"

#include <gtest/gtest.h>

namespace {
class ScreenScale {
public:
    explicit ScreenScale(double scale) : m_old(UIScreen::mainScreen().scale()) { UIScreen::mainScreen().setScale(scale); }
    ~ScreenScale() { UIScreen::mainScreen().setScale(m_old); }

private:
    double m_old;
};
} // namespace

// The colours are the styles' own values; what is worked out is the progress bar's height, a
// hairline plus a point on some styles, and the lookup by exact name.
TEST(StatusBarStyle, ProgressHeightFollowsTheScreenAndNamesMatchExactly)
{
    const std::pair<const char*, double> heights[] = {
        {"StatusBarStyleDefault", 1.0}, {"StatusBarStyleError", 2.0}, {"StatusBarStyleWarning", 1.0},
        {"StatusBarStyleSuccess", 1.5}, {"StatusBarStyleDark", 1.5},  {"StatusBarStyleMatrix", 2.0},
    };
    for (const double screen : {2.0, 1.0}) {
        ScreenScale scale(screen);
        for (const auto& [name, height] : heights) {
            const auto style = StatusBarStyle::defaultStyleWithName(name);
            ASSERT_TRUE(style) << name;
            EXPECT_DOUBLE_EQ(style->progressBarHeight, height == 1.5 && screen == 1 ? 2.0 : height) << name << " at " << screen;
        }
    }
    EXPECT_FALSE(StatusBarStyle::defaultStyleWithName("statusBarStyleMatrix"));
    EXPECT_FALSE(StatusBarStyle::defaultStyleWithName(""));
}
