#include "platform/ui/UILabel.h"
#include "platform/ui/ViewRenderer.h"
#include "tests/support/InkBox.h"

#include <gtest/gtest.h>

TEST(UILabel, MeasuresAndShrinksByTheTextMetric)
{
    auto label = UILabel::create(CGRectMake(0, 0, 60, 20));
    label->setFont(UIFont::systemFontOfSize(20));
    label->setText("abcdefghij"); // 100 points at 20
    EXPECT_EQ(label->sizeThatFits({}), (CGSize {100, 24}));
    EXPECT_DOUBLE_EQ(label->fontSizeForDrawing(label->bounds()), 20); // shrinking is off

    label->setAdjustsFontSizeToFitWidth(true);
    EXPECT_DOUBLE_EQ(label->fontSizeForDrawing(label->bounds()), 20); // no smallest size: none
    label->setMinimumScaleFactor(0.5);
    EXPECT_DOUBLE_EQ(label->fontSizeForDrawing(label->bounds()), 12);
    label->setMinimumFontSize(15);
    EXPECT_DOUBLE_EQ(label->fontSizeForDrawing(label->bounds()), 15);
    label->setNumberOfLines(2); // only one-line labels shrink
    EXPECT_DOUBLE_EQ(label->fontSizeForDrawing(label->bounds()), 20);

    label->setNumberOfLines(0);
    label->setText("one two three");
    label->setFont(UIFont::systemFontOfSize(10));
    EXPECT_EQ(label->sizeThatFits({40, 0}), (CGSize {35, 24})); // "one two", "three"
    label->setFont(nullptr);
    EXPECT_DOUBLE_EQ(label->font()->pointSize(), 17);
}

TEST(UILabel, DrawsItsTextCentredVerticallyWithinItsBounds)
{
    auto label = UILabel::create(CGRectMake(0, 0, 100, 40));
    label->setFont(UIFont::boldSystemFontOfSize(12));
    label->setTextColor(UIColor::redColor());
    label->setTextAlignment(NSTextAlignment::Right);
    label->setText("HHHH"); // 24 points wide, 14.4 high
    const auto image = ViewRenderer::render(*label);
    ASSERT_TRUE(image);
    const auto ink = inkOf(*image, [](const auto& p) { return p.alpha > 0; });
    ASSERT_GE(ink.maxX, 0);
    EXPECT_EQ(inkOf(*image, [](const auto& p) { return p.alpha > 0 && p.red <= p.green; }).count, 0);
    EXPECT_GE(ink.minX, 76);
    EXPECT_LE(ink.maxX, 99);
    // The line box runs from 12.8 to 27.2; the glyphs sit inside it.
    EXPECT_GE(ink.minY, 12);
    EXPECT_LE(ink.maxY, 28);
}
