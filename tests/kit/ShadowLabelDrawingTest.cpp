#include "kit/ShadowLabel.h"
#include "platform/ui/ViewRenderer.h"
#include "tests/support/InkBox.h"

#include <gtest/gtest.h>


// Pixel checks of the label's drawing at two pixels per point. Full blocks ("█") are used where
// the shape of the ink matters: their ink fills the text rectangle's width and most of its height.

namespace {

using Pixel = UIImage::Pixel;

bool opaque(const Pixel& p) { return p.alpha > 128; }
bool reddish(const Pixel& p) { return p.alpha > 200 && p.red > 180 && p.green < 60 && p.blue < 60; }

ShadowLabelPtr blocks(UIColorPtr textColor, double size = 40)
{
    auto label = ShadowLabel::create(CGRectMake(0, 0, 120, 80));
    label->setFont(UIFont::boldSystemFontOfSize(size));
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

TEST(ShadowLabelDrawing, OffscreenDrawingLooksLikeDirectDrawing)
{
    auto label = blocks(UIColor::redColor());
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

    // An opaque background goes offscreen too, and the text shows over it.
    auto backed = blocks(UIColor::redColor());
    backed->setBackgroundColor(UIColor::whiteColor());
    const auto onWhite = draw(*backed);
    EXPECT_NEAR(inkOf(*onWhite, reddish).count, a.count, a.count / 20);
    EXPECT_EQ(onWhite->pixelAt(2, 2).red, 255);
}

TEST(ShadowLabelDrawing, TooLargeAnOffscreenPictureFallsBackToDirectDrawing)
{
    auto label = ShadowLabel::create(CGRectMake(0, 0, 20000, 40));
    label->setFont(UIFont::boldSystemFontOfSize(30));
    label->setText("██");
    label->setTextColor(UIColor::redColor());
    label->setOversampling(32);
    ASSERT_EQ(label->oversampling(), 32u);
    auto picture = ViewRenderer::render(*label, 1);
    ASSERT_TRUE(picture);
    EXPECT_GT(inkOf(*picture, reddish).count, 100) << "the text is drawn, not lost";
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
