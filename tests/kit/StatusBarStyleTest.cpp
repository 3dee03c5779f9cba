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
    const auto matrix = StatusBarStyle::defaultStyleWithName("StatusBarStyleMatrix");
    ASSERT_TRUE(matrix);
    EXPECT_EQ(matrix->barColor, UIColor::blackColor());
    EXPECT_EQ(matrix->textColor, UIColor::greenColor());
    EXPECT_EQ(matrix->font->fontName(), "Courier-Bold");
    EXPECT_EQ(matrix->font->family(), UIFont::Family::Monospace);
    EXPECT_TRUE(matrix->font->isBold());
    EXPECT_DOUBLE_EQ(matrix->font->pointSize(), 14);
    EXPECT_EQ(matrix->progressBarColor, UIColor::greenColor());
    EXPECT_DOUBLE_EQ(matrix->progressBarHeight, 2.0);
    EXPECT_EQ(matrix->progressBarPosition, StatusBarStyle::Bottom);
    EXPECT_EQ(matrix->animationType, StatusBarStyle::Slide);

    const auto plain = StatusBarStyle::defaultStyleWithName("StatusBarStyleDefault");
    EXPECT_EQ(plain->barColor, UIColor::whiteColor());
    EXPECT_EQ(plain->textColor, UIColor::grayColor());
    EXPECT_EQ(plain->font->fontName(), UIFont::systemFontOfSize(12)->fontName());
    EXPECT_DOUBLE_EQ(plain->progressBarHeight, 1.0);

    const auto error = StatusBarStyle::defaultStyleWithName("StatusBarStyleError");
    expectColor(error->barColor, 0.588, 0.118, 0.0);
    EXPECT_EQ(error->progressBarColor, UIColor::redColor());
    EXPECT_DOUBLE_EQ(error->progressBarHeight, 2.0);

    const auto warning = StatusBarStyle::defaultStyleWithName("StatusBarStyleWarning");
    expectColor(warning->barColor, 0.9, 0.734, 0.034);
    EXPECT_EQ(warning->progressBarColor, warning->textColor);
    EXPECT_EQ(warning->textColor, UIColor::darkGrayColor());

    const auto success = StatusBarStyle::defaultStyleWithName("StatusBarStyleSuccess");
    expectColor(success->progressBarColor, 0.106, 0.594, 0.319);
    EXPECT_DOUBLE_EQ(success->progressBarHeight, 1.5);
    const auto dark = StatusBarStyle::defaultStyleWithName("StatusBarStyleDark");
    expectColor(dark->barColor, 0.05, 0.078, 0.12);
    EXPECT_EQ(dark->textColor->model(), UIColor::Model::Monochrome);
    EXPECT_DOUBLE_EQ(dark->textColor->component(0), 0.95);
    EXPECT_DOUBLE_EQ(dark->progressBarHeight, 1.5);

    for (const auto& style : {matrix, plain, error, warning, success, dark}) {
        EXPECT_EQ(style->animationType, StatusBarStyle::Slide);
        EXPECT_FALSE(style->textShadow);
        EXPECT_DOUBLE_EQ(style->textVerticalPositionAdjustment, 0);
    }
    {
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
