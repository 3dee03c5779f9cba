#include "kit/ShadowLabel.h"
#include "platform/ui/UIScreen.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {
// Clears the redraw request so that a setter's own request can be seen.
bool redraws(ShadowLabel& label, const std::function<void()>& change)
{
    label.clearNeedsDisplay();
    change();
    return label.needsDisplay();
}
} // namespace

// The shadow's look and the gradient's points are checked by the drawing tests.

TEST(ShadowLabel, OversamplingFollowsTheScreenStaysWithinItsBoundsAndRedrawsOnlyOnChange)
{
    auto label = ShadowLabel::create();
    // The screen has two pixels per point: that is the minimum and the start.
    EXPECT_EQ(label->minSamples(), 2u);
    EXPECT_EQ(label->oversampling(), 2u);
    UIScreen::mainScreen().setScale(1);
    EXPECT_EQ(ShadowLabel::create()->oversampling(), 1u);
    UIScreen::mainScreen().setScale(2);

    EXPECT_TRUE(redraws(*label, [&] { label->setOversampling(64); }));
    EXPECT_EQ(label->oversampling(), 32u);
    label->setOversampling(0);
    EXPECT_EQ(label->oversampling(), 2u);
    EXPECT_FALSE(redraws(*label, [&] { label->setOversampling(2); }));
    EXPECT_FALSE(redraws(*label, [&] { label->setOversampling(1); })) << "raised to the minimum it is unchanged";

    // The bounds themselves are plain values.
    EXPECT_FALSE(redraws(*label, [&] { label->setMaxSamples(4); }));
    label->setOversampling(10);
    EXPECT_EQ(label->oversampling(), 4u);
}

TEST(ShadowLabel, EffectSettersRedrawOnlyOnChange)
{
    auto label = ShadowLabel::create();
    const auto red = UIColor::redColor();
    const auto blue = UIColor::blueColor();

    EXPECT_TRUE(redraws(*label, [&] { label->setGradientEndColor(blue); }));
    EXPECT_EQ(label->gradientColors(), (std::vector<UIColorPtr> {blue, blue}));
    label->setGradientStartColor(red);
    EXPECT_EQ(label->gradientColors(), (std::vector<UIColorPtr> {red, blue}));

    EXPECT_FALSE(redraws(*label, [&] { label->setGradientStartColor(red); }));
    EXPECT_FALSE(redraws(*label, [&] { label->setGradientEndColor(blue); }));
    EXPECT_FALSE(redraws(*label, [&] { label->setGradientColors({red, blue}); }));

    label->setGradientColors({red, UIColor::greenColor(), blue});
    label->setGradientEndColor(UIColor::yellowColor());
    EXPECT_EQ(label->gradientColors(), (std::vector<UIColorPtr> {red, UIColor::greenColor(), UIColor::yellowColor()}));

    EXPECT_TRUE(redraws(*label, [&] { label->setGradientStartColor(nullptr); }));
    EXPECT_TRUE(label->gradientColors().empty());
    EXPECT_FALSE(label->gradientEndColor());

    // With one colour held, a start colour makes two entries of the new colour.
    label->setGradientColors({red});
    label->setGradientStartColor(blue);
    EXPECT_EQ(label->gradientColors(), (std::vector<UIColorPtr> {blue, blue}));

    // The other effects redraw on a change; blur and gradient points are plain values.
    const auto white = UIColor::whiteColor();
    EXPECT_TRUE(redraws(*label, [&] { label->setInnerShadowColor(white); }));
    EXPECT_FALSE(redraws(*label, [&] { label->setInnerShadowColor(white); }));
    EXPECT_TRUE(redraws(*label, [&] { label->setInnerShadowOffset({0, 1}); }));
    EXPECT_FALSE(redraws(*label, [&] { label->setInnerShadowOffset({0, 1}); }));
    EXPECT_TRUE(redraws(*label, [&] { label->setTextInsets({0, 0, 0, 4}); }));
    EXPECT_FALSE(redraws(*label, [&] { label->setTextInsets({0, 0, 0, 4}); }));
    EXPECT_FALSE(redraws(*label, [&] { label->setShadowBlur(9); }));
    EXPECT_FALSE(redraws(*label, [&] { label->setGradientStartPoint({0, 0}); }));
}

TEST(ShadowLabel, ColourComponentsAndBlending)
{
    EXPECT_EQ(ShadowLabel::getComponents(UIColor::colorWithWhite(0.25, 0.5)),
              (std::array<double, 4> {0.25, 0.25, 0.25, 0.5}));
    EXPECT_EQ(ShadowLabel::getComponents(UIColor::colorWithRed(0.1, 0.2, 0.3, 0.4)),
              (std::array<double, 4> {0.1, 0.2, 0.3, 0.4}));
    {
        LogCapture log;
        EXPECT_EQ(ShadowLabel::getComponents(nullptr), (std::array<double, 4> {0, 0, 0, 1}));
        EXPECT_TRUE(log.contains("Unsupported gradient color format: -1"));
    }

    // A half-transparent stop over an opaque text colour: halfway, and opaque.
    const auto stop = ShadowLabel::color(UIColor::colorWithRed(1, 0, 0, 0.5), UIColor::colorWithRed(0, 0, 1, 1));
    const auto c = stop->rgba();
    EXPECT_DOUBLE_EQ(c.red, 0.5);
    EXPECT_DOUBLE_EQ(c.blue, 0.5);
    EXPECT_DOUBLE_EQ(c.alpha, 1);
    // Over a clear text colour a stop keeps its own alpha.
    EXPECT_DOUBLE_EQ(ShadowLabel::color(UIColor::colorWithWhite(1, 0.3), UIColor::clearColor())->alpha(), 0.3);
}

// Text sizes follow the fixed metric: "AB" in 20 points is 20 wide and 24 high.
TEST(ShadowLabel, TextRectangleFollowsAlignmentContentModeAndInsets)
{
    auto label = ShadowLabel::create(CGRectMake(0, 0, 200, 100));
    label->setFont(UIFont::systemFontOfSize(20));
    label->setText("AB");
    EXPECT_EQ(label->textLayout().textRect, CGRectMake(0, 38, 20, 24));

    for (const auto& [alignment, x] :
         {std::pair {NSTextAlignment::Center, 90}, {NSTextAlignment::Right, 180}, {NSTextAlignment::Justified, 0}}) {
        label->setTextAlignment(alignment);
        EXPECT_EQ(label->textLayout().textRect.origin.x, x) << static_cast<int>(alignment);
    }

    for (const auto& [mode, y] : {std::pair {UIViewContentMode::Top, 0}, {UIViewContentMode::TopRight, 0},
                                  {UIViewContentMode::Bottom, 76}, {UIViewContentMode::BottomLeft, 76},
                                  {UIViewContentMode::Left, 38}}) {
        label->setContentMode(mode);
        EXPECT_EQ(label->textLayout().textRect.origin.y, y) << static_cast<int>(mode);
    }

    label->setTextInsets({10, 30, 20, 50});
    label->setTextAlignment(NSTextAlignment::Right);
    label->setContentMode(UIViewContentMode::Bottom);
    EXPECT_EQ(label->textLayout().textRect, CGRectMake(130, 56, 20, 24));
}

TEST(ShadowLabel, OneLineLabelShrinksToTheTextAreaButNotBelowTheMinimum)
{
    auto label = ShadowLabel::create(CGRectMake(0, 0, 100, 40));
    label->setFont(UIFont::systemFontOfSize(20));
    label->setText("系统日期：今天"); // 7 wide characters: 140 points at 20
    label->setAdjustsFontSizeToFitWidth(true);
    label->setMinimumFontSize(10);
    auto layout = label->textLayout();
    EXPECT_LE(layout.fontSize, 100.0 / 7);
    EXPECT_GE(layout.fontSize, 10);
    EXPECT_LE(layout.textRect.size.width, 100);

    label->setTextInsets({0, 0, 0, 50});
    layout = label->textLayout();
    EXPECT_EQ(layout.fontSize, 10) << "the minimum wins over a fit";
    EXPECT_LE(layout.textRect.size.width, 50);

    label->setNumberOfLines(2);
    EXPECT_EQ(label->textLayout().fontSize, 20) << "more than one line never shrinks";
    label->setNumberOfLines(0);
    EXPECT_EQ(label->textLayout().fontSize, 20);
}

TEST(ShadowLabel, BadGeometryGivesAnEmptyTextRectangle)
{
    auto label = ShadowLabel::create(CGRectMake(0, 0, 40, 20));
    label->setText("已开房");
    label->setTextInsets({0, 30, 0, 30});
    const auto squeezed = label->textLayout();
    EXPECT_GE(squeezed.textRect.size.width, 0);
    label->setTextInsets({0, std::numeric_limits<double>::infinity(), 0, 0});
    EXPECT_EQ(label->textLayout().textRect.size, CGSizeZero);
}

TEST(ShadowLabel, OffscreenDrawingIsChosenByOversamplingOrBackgroundAndBounded)
{
    auto label = ShadowLabel::create(CGRectMake(0, 0, 200, 40));
    const CGRect all = label->bounds();
    EXPECT_FALSE(label->drawsOffscreen(all));
    label->setBackgroundColor(UIColor::clearColor());
    EXPECT_FALSE(label->drawsOffscreen(all));
    label->setBackgroundColor(UIColor::whiteColor());
    EXPECT_TRUE(label->drawsOffscreen(all));
    label->setBackgroundColor(nullptr);
    label->setOversampling(4);
    EXPECT_TRUE(label->drawsOffscreen(all));

    // 32 pixels per point of a long strip would be a picture too large to allocate.
    label->setOversampling(32);
    EXPECT_FALSE(label->drawsOffscreen(CGRectMake(0, 0, 20000, 40)));
    label->setMaxSamples(1000000);
    label->setOversampling(1000000);
    EXPECT_FALSE(label->drawsOffscreen(all));
}
