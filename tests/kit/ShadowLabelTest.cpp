#include "kit/ShadowLabel.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/UIWindow.h"
#include "platform/ui/ViewRenderer.h"
#include "tests/support/InkBox.h"

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

using Pixel = UIImage::Pixel;

bool opaque(const Pixel& p) { return p.alpha > 128; }
bool reddish(const Pixel& p) { return p.alpha > 200 && p.red > 180 && p.green < 60 && p.blue < 60; }

ShadowLabelPtr blocks(UIColorPtr textColor, CGRect frame = CGRectMake(0, 0, 120, 80))
{
    auto label = ShadowLabel::create(frame);
    label->setFont(UIFont::boldSystemFontOfSize(40));
    label->setText("██");
    label->setTextAlignment(NSTextAlignment::Center);
    label->setTextColor(std::move(textColor));
    return label;
}

std::shared_ptr<UIImage> draw(UIView& view)
{
    auto picture = ViewRenderer::render(view, 2);
    EXPECT_TRUE(picture);
    return picture;
}
} // namespace

// The shadow's look and the gradient's points are checked by the drawing tests below.

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

    // Though they ask no redraw, they show on the next screen the recorder writes.
    auto window = UIWindow::create(CGRectMake(0, 0, 1024, 768));
    window->makeKeyAndVisible();
    window->addSubview(label);
    const auto before = ViewRenderer::screenFingerprint();
    label->setShadowBlur(3);
    EXPECT_NE(ViewRenderer::screenFingerprint(), before);
    UIApplication::sharedApplication().resetForTesting();
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

    // Over a clear text colour a stop keeps its own alpha (over an opaque one the drawing tests
    // see the blend).
    EXPECT_DOUBLE_EQ(ShadowLabel::color(UIColor::colorWithWhite(1, 0.3), UIColor::clearColor())->alpha(), 0.3);
}

// Text sizes follow the fixed metric: "AB" in 20 points is 20 wide and 24 high.
TEST(ShadowLabel, TextRectangleFollowsAlignmentContentModeAndInsetsAndIsNeverNegative)
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

    // Insets wider than the label, or not finite, leave no room rather than a negative one.
    label->setTextInsets({0, 150, 0, 150});
    EXPECT_GE(label->textLayout().textRect.size.width, 0);
    label->setTextInsets({0, std::numeric_limits<double>::infinity(), 0, 0});
    EXPECT_EQ(label->textLayout().textRect.size, CGSizeZero);
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

TEST(ShadowLabel, OffscreenDrawingIsBoundedByThePictureItWouldNeed)
{
    // 32 pixels per point of a long strip would be a picture too large to allocate: the text is
    // drawn directly instead of being lost.
    auto strip = blocks(UIColor::redColor(), CGRectMake(0, 0, 20000, 40));
    strip->setOversampling(32);
    ASSERT_EQ(strip->oversampling(), 32u);
    EXPECT_FALSE(strip->drawsOffscreen(strip->bounds()));
    const auto picture = ViewRenderer::render(*strip, 1);
    ASSERT_TRUE(picture);
    EXPECT_GT(inkOf(*picture, reddish).count, 100);

    auto label = blocks(UIColor::redColor());
    label->setMaxSamples(1000000);
    label->setOversampling(1000000);
    EXPECT_FALSE(label->drawsOffscreen(label->bounds()));
}

// Pixel checks of the label's drawing at two pixels per point. Full blocks ("█") are used where
// the shape of the ink matters: their ink fills the text rectangle's width and most of its height.

TEST(ShadowLabelDrawing, DefaultShadowLiesBelowTheTextBlurredOrHard)
{
    auto bare = blocks(UIColor::redColor());
    bare->setShadowColor(nullptr);
    const InkBox glyphs = inkOf(*draw(*bare), opaque);
    ASSERT_GT(glyphs.count, 100);
    const int x = glyphs.midX();

    // The default shadow: three-quarters black, two points down, blurred.
    auto label = blocks(UIColor::redColor());
    const auto soft = draw(*label);
    const int above = soft->pixelAt(x, glyphs.minY - 2).alpha;
    const int nearBelow = soft->pixelAt(x, glyphs.maxY + 2).alpha;
    EXPECT_GT(above, 0) << "a blurred shadow reaches above the text";
    EXPECT_GT(nearBelow, above) << "but lies lower than it";
    EXPECT_GT(nearBelow, soft->pixelAt(x, glyphs.maxY + 10).alpha);
    EXPECT_LT(nearBelow, 191) << "and is softer than a hard one";

    label->setShadowBlur(0);
    const auto hard = draw(*label);
    for (int below = 1; below <= 3; ++below) {
        const Pixel p = hard->pixelAt(x, glyphs.maxY + below);
        EXPECT_NEAR(p.alpha, 191, 3) << below;
        EXPECT_LT(p.red, 10) << below;
    }
    EXPECT_EQ(hard->pixelAt(x, glyphs.maxY + 6).alpha, 0);
    EXPECT_EQ(hard->pixelAt(x, glyphs.minY - 2).alpha, 0);
    EXPECT_TRUE(reddish(hard->pixelAt(x, glyphs.maxY - 2))) << "the text stays on top";

    // No blur and no offset: no shadow at all.
    label->setShadowOffset({0, 0});
    EXPECT_LE(inkOf(*draw(*label), [](const Pixel& p) { return p.alpha > 0; }).maxY, glyphs.maxY + 1);
}

TEST(ShadowLabelDrawing, OffscreenDrawingIsChosenByOversamplingOrAnOpaqueBackgroundAndLooksTheSame)
{
    auto label = blocks(UIColor::redColor());
    EXPECT_FALSE(label->drawsOffscreen(label->bounds()));
    const auto direct = draw(*label);
    label->setOversampling(6);
    ASSERT_TRUE(label->drawsOffscreen(label->bounds()));
    const auto sampled = draw(*label);
    const InkBox a = inkOf(*direct, reddish);
    const InkBox b = inkOf(*sampled, reddish);
    EXPECT_NEAR(a.minX, b.minX, 1);
    EXPECT_NEAR(a.maxX, b.maxX, 1);
    EXPECT_NEAR(a.minY, b.minY, 1);
    EXPECT_NEAR(a.maxY, b.maxY, 1);
    EXPECT_NEAR(a.count, b.count, a.count / 20);
    EXPECT_NEAR(direct->pixelAt(a.midX(), a.maxY + 3).alpha, sampled->pixelAt(a.midX(), a.maxY + 3).alpha, 12);

    // An opaque background goes offscreen too, and the text shows over it; a clear one does not.
    auto backed = blocks(UIColor::redColor());
    backed->setBackgroundColor(UIColor::clearColor());
    EXPECT_FALSE(backed->drawsOffscreen(backed->bounds()));
    backed->setBackgroundColor(UIColor::whiteColor());
    EXPECT_TRUE(backed->drawsOffscreen(backed->bounds()));
    const auto onWhite = draw(*backed);
    EXPECT_NEAR(inkOf(*onWhite, reddish).count, a.count, a.count / 20);
    EXPECT_EQ(onWhite->pixelAt(2, 2).red, 255);
}

TEST(ShadowLabelDrawing, GradientRunsDownTheGlyphsOrBlendsOverTheTextColour)
{
    auto label = blocks(UIColor::redColor());
    label->setShadowColor(nullptr);
    // At the top of the label, so that a mask laid upside down would miss the glyphs.
    label->setContentMode(UIViewContentMode::Top);
    const InkBox ink = inkOf(*draw(*label), opaque);
    ASSERT_GT(ink.count, 100);

    label->setGradientColors({UIColor::redColor(), UIColor::blueColor()});
    auto picture = draw(*label);
    const Pixel top = picture->pixelAt(ink.midX(), ink.minY + 2);
    const Pixel bottom = picture->pixelAt(ink.midX(), ink.maxY - 2);
    EXPECT_GT(top.red, 150);
    EXPECT_LT(top.blue, 100);
    EXPECT_GT(bottom.blue, 200) << "past the end point the last colour goes on";
    EXPECT_LT(bottom.red, 20);
    EXPECT_EQ(picture->pixelAt(2, 2).alpha, 0) << "only the glyphs are filled";

    label->setGradientColors({UIColor::blueColor()});
    picture = draw(*label);
    EXPECT_TRUE(reddish(picture->pixelAt(ink.midX(), (ink.minY + ink.maxY) / 2))) << "one colour is no gradient";

    // An end colour alone becomes both stops: a uniform fill laid over the text colour.
    label->setGradientColors({});
    label->setGradientEndColor(UIColor::colorWithRed(0, 0, 1, 0.5));
    picture = draw(*label);
    for (int y : {ink.minY + 2, ink.maxY - 2}) {
        const Pixel p = picture->pixelAt(ink.midX(), y);
        EXPECT_NEAR(p.red, 128, 3);
        EXPECT_NEAR(p.blue, 128, 3);
        EXPECT_EQ(p.alpha, 255);
    }
}

TEST(ShadowLabelDrawing, InnerShadowKeepsTheUncoveredTopEdge)
{
    auto label = blocks(UIColor::blackColor());
    label->setShadowColor(nullptr);
    // At the top of the label, so that a mask laid upside down would miss the glyphs.
    label->setContentMode(UIViewContentMode::Top);
    label->setInnerShadowColor(UIColor::whiteColor());
    label->setInnerShadowOffset({0, 3});
    const auto picture = draw(*label);
    const InkBox ink = inkOf(*picture, opaque);
    ASSERT_GT(ink.count, 100);
    const Pixel edge = picture->pixelAt(ink.midX(), ink.minY + 2);
    const Pixel inside = picture->pixelAt(ink.midX(), ink.minY + 12);
    EXPECT_GT(edge.red, 220) << "the top 3 points keep the inner shadow's colour";
    EXPECT_LT(inside.red, 30);
    EXPECT_EQ(inside.alpha, 255);

    // Without an offset there is no inner shadow.
    label->setInnerShadowOffset({0, 0});
    EXPECT_LT(draw(*label)->pixelAt(ink.midX(), ink.minY + 2).red, 30);
}

TEST(ShadowLabelDrawing, TextColourFollowsHighlightAndMayBeMissing)
{
    auto label = blocks(UIColor::redColor());
    label->setShadowColor(nullptr);
    label->setHighlighted(true);
    auto picture = draw(*label);
    const InkBox ink = inkOf(*picture, reddish);
    EXPECT_GT(ink.count, 100) << "no highlight colour: the text colour";

    label->setHighlightedTextColor(UIColor::colorWithRed(0, 1, 0, 1));
    picture = draw(*label);
    const Pixel p = picture->pixelAt(ink.midX(), (ink.minY + ink.maxY) / 2);
    EXPECT_GT(p.green, 200);
    EXPECT_LT(p.red, 30);

    // Clear text casts no shadow either.
    auto clear = blocks(UIColor::clearColor());
    EXPECT_EQ(inkOf(*draw(*clear), [](const Pixel& px) { return px.alpha > 0; }).count, 0);
}
