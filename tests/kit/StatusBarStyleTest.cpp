#include "kit/StatusBarStyle.h"
#include "platform/ui/UIScreen.h"

#include <gtest/gtest.h>

namespace {
void expectColor(const UIColorPtr& color, double r, double g, double b)
{
    ASSERT_TRUE(color);
    const auto c = color->rgba();
    EXPECT_NEAR(c.red, r, 1e-9);
    EXPECT_NEAR(c.green, g, 1e-9);
    EXPECT_NEAR(c.blue, b, 1e-9);
    EXPECT_DOUBLE_EQ(c.alpha, 1);
}

class ScreenScale {
public:
    explicit ScreenScale(double scale) : m_old(UIScreen::mainScreen().scale()) { UIScreen::mainScreen().setScale(scale); }
    ~ScreenScale() { UIScreen::mainScreen().setScale(m_old); }

private:
    double m_old;
};
} // namespace

TEST(StatusBarStyle, TheSixPredefinedStyles)
{
    ScreenScale scale(2);
    struct Row {
        const char* name;
        double bar[3];
        double progressHeight; // on a two-pixel screen
    };
    const Row rows[] = {
        {"StatusBarStyleDefault", {1, 1, 1}, 1.0},       {"StatusBarStyleError", {0.588, 0.118, 0}, 2.0},
        {"StatusBarStyleWarning", {0.9, 0.734, 0.034}, 1.0}, {"StatusBarStyleSuccess", {0.588, 0.797, 0}, 1.5},
        {"StatusBarStyleDark", {0.05, 0.078, 0.12}, 1.5},  {"StatusBarStyleMatrix", {0, 0, 0}, 2.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto style = StatusBarStyle::defaultStyleWithName(row.name);
        ASSERT_TRUE(style);
        expectColor(style->barColor, row.bar[0], row.bar[1], row.bar[2]);
        EXPECT_DOUBLE_EQ(style->progressBarHeight, row.progressHeight);
        EXPECT_EQ(style->animationType, StatusBarStyle::Slide);
        EXPECT_FALSE(style->textShadow);
    }

    const auto matrix = StatusBarStyle::defaultStyleWithName("StatusBarStyleMatrix");
    EXPECT_EQ(matrix->textColor, UIColor::greenColor());
    EXPECT_EQ(matrix->font->family(), UIFont::Family::Monospace);
    EXPECT_TRUE(matrix->font->isBold());
    EXPECT_DOUBLE_EQ(matrix->font->pointSize(), 14);
    EXPECT_EQ(StatusBarStyle::defaultStyleWithName("StatusBarStyleError")->progressBarColor, UIColor::redColor());
    const auto warning = StatusBarStyle::defaultStyleWithName("StatusBarStyleWarning");
    EXPECT_EQ(warning->progressBarColor, warning->textColor);
    expectColor(StatusBarStyle::defaultStyleWithName("StatusBarStyleSuccess")->progressBarColor, 0.106, 0.594, 0.319);
    EXPECT_DOUBLE_EQ(StatusBarStyle::defaultStyleWithName("StatusBarStyleDark")->textColor->component(0), 0.95);
    {
        // A hairline plus a point is two points on a one-pixel screen.
        ScreenScale single(1);
        EXPECT_DOUBLE_EQ(StatusBarStyle::defaultStyleWithName("StatusBarStyleSuccess")->progressBarHeight, 2.0);
        EXPECT_DOUBLE_EQ(StatusBarStyle::defaultStyleWithName("StatusBarStyleDark")->progressBarHeight, 2.0);
    }

    EXPECT_FALSE(StatusBarStyle::defaultStyleWithName("statusBarStyleMatrix")); // exact comparison
    EXPECT_FALSE(StatusBarStyle::defaultStyleWithName(""));
    EXPECT_EQ(StatusBarStyle::allDefaultStyleIdentifier(),
              (std::vector<std::string> {"StatusBarStyleError", "StatusBarStyleWarning", "StatusBarStyleSuccess",
                                         "StatusBarStyleMatrix", "StatusBarStyleDark"}));
}

TEST(StatusBarStyle, CopiesShareObjectsButNotFields)
{
    auto original = StatusBarStyle::defaultStyleWithName("StatusBarStyleError");
    auto copy = original->copy();
    EXPECT_NE(copy, original);
    EXPECT_EQ(copy->barColor, original->barColor); // the same colour object
    EXPECT_EQ(copy->font, original->font);
    copy->barColor = UIColor::blueColor();
    copy->progressBarHeight = 9;
    EXPECT_NE(original->barColor, UIColor::blueColor());
    EXPECT_DOUBLE_EQ(original->progressBarHeight, 2.0);
}
