#include "platform/graphics/CGAffineTransform.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIEdgeInsets.h"

#include <gtest/gtest.h>

#include <numbers>

TEST(Geometry, RectangleSetOperations)
{
    const CGRect a = CGRectMake(0, 0, 100, 50);
    const CGRect b = CGRectMake(50, 25, 100, 50);
    EXPECT_EQ(CGRectIntersection(a, b), CGRectMake(50, 25, 50, 25));
    EXPECT_EQ(CGRectUnion(a, b), CGRectMake(0, 0, 150, 75));
    EXPECT_TRUE(CGRectIntersectsRect(a, b));

    // Touching edges share no area; disjoint rectangles intersect in the null rectangle.
    EXPECT_FALSE(CGRectIntersectsRect(a, CGRectMake(100, 0, 10, 10)));
    EXPECT_TRUE(CGRectIsNull(CGRectIntersection(a, CGRectMake(200, 200, 1, 1))));
    EXPECT_EQ(CGRectUnion(CGRectNull(), b), b);

    // Containment is half open: the far edges are outside.
    EXPECT_TRUE(CGRectContainsPoint(a, {0, 0}));
    EXPECT_FALSE(CGRectContainsPoint(a, {100, 10}));
    EXPECT_FALSE(CGRectContainsPoint(a, {10, 50}));
    EXPECT_TRUE(CGRectContainsRect(a, CGRectMake(10, 10, 90, 40)));
    EXPECT_FALSE(CGRectContainsRect(a, CGRectMake(10, 10, 91, 40)));
}

TEST(Geometry, NegativeSizesInsetsAndIntegral)
{
    const CGRect flipped = CGRectMake(100, 50, -100, -50);
    EXPECT_EQ(CGRectStandardize(flipped), CGRectMake(0, 0, 100, 50));
    EXPECT_DOUBLE_EQ(CGRectGetMinX(flipped), 0);
    EXPECT_DOUBLE_EQ(CGRectGetMaxY(flipped), 50);
    EXPECT_DOUBLE_EQ(CGRectGetMidX(flipped), 50);
    EXPECT_DOUBLE_EQ(CGRectGetWidth(flipped), 100);

    EXPECT_EQ(CGRectInset(CGRectMake(0, 0, 100, 50), 10, 5), CGRectMake(10, 5, 80, 40));
    EXPECT_TRUE(CGRectIsNull(CGRectInset(CGRectMake(0, 0, 10, 10), 6, 0)));
    EXPECT_EQ(CGRectIntegral(CGRectMake(0.5, 1.2, 10.2, 3.9)), CGRectMake(0, 1, 11, 5));
    EXPECT_EQ(UIEdgeInsetsInsetRect(CGRectMake(0, 0, 100, 40), UIEdgeInsetsMake(1, 2, 3, 4)), CGRectMake(2, 1, 94, 36));
}

TEST(Geometry, TransformsComposeInPlatformOrder)
{
    // Translate applies its own step first: scale, then move by (10, 0) in scaled units.
    const CGAffineTransform t = CGAffineTransformTranslate(CGAffineTransformMakeScale(2, 2), 10, 0);
    EXPECT_EQ(CGPointApplyAffineTransform({1, 1}, t), (CGPoint {22, 2}));

    // Concat applies its first argument first.
    const CGAffineTransform moveThenScale
        = CGAffineTransformConcat(CGAffineTransformMakeTranslation(10, 0), CGAffineTransformMakeScale(2, 2));
    EXPECT_EQ(CGPointApplyAffineTransform({1, 1}, moveThenScale), (CGPoint {22, 2}));

    const CGAffineTransform odd = CGAffineTransformMake(2, 1, -1, 3, 5, -7);
    const CGAffineTransform round = CGAffineTransformConcat(odd, CGAffineTransformInvert(odd));
    for (const double off : {round.a - 1, round.b, round.c, round.d - 1, round.tx, round.ty})
        EXPECT_NEAR(off, 0, 1e-12);
    // A singular transform has no inverse and is returned unchanged.
    EXPECT_EQ(CGAffineTransformInvert(CGAffineTransformMakeScale(0, 1)), CGAffineTransformMakeScale(0, 1));

    // A quarter turn of a 100 × 20 box around the origin spans -20..0 by 0..100.
    const CGRect turned
        = CGRectApplyAffineTransform(CGRectMake(0, 0, 100, 20), CGAffineTransformMakeRotation(std::numbers::pi / 2));
    for (const double off : {turned.origin.x + 20, turned.origin.y, turned.size.width - 20, turned.size.height - 100})
        EXPECT_NEAR(off, 0, 1e-9);
}
