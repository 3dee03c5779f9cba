#include "kit/grid/GridLayoutMath.h"
#include "kit/grid/GridViewLayoutHorizontalPagedLTRStrategy.h"
#include "kit/grid/GridViewLayoutHorizontalPagedTTBStrategy.h"
#include "kit/grid/GridViewLayoutHorizontalStrategy.h"
#include "kit/grid/GridViewLayoutStrategyFactory.h"
#include "kit/grid/GridViewLayoutVerticalStrategy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <tuple>

namespace {

const UIEdgeInsets kInsets5 = UIEdgeInsetsMake(5, 5, 5, 5);

// The room floor's page: 5 x 5 tiles of 196 x 116 in 1000 x 600.
template <typename Strategy>
Strategy roomPage(std::int64_t count)
{
    Strategy strategy;
    strategy.setupItemSize(CGSizeMake(196, 116), 2, kInsets5, true);
    strategy.rebaseWithItemCount(count, CGRectMake(0, 0, 1000, 600));
    return strategy;
}

// The loop the closed form stands for.
std::int64_t countByLoop(double usable, double extent, double spacing)
{
    std::int64_t count = 1;
    if (extent + spacing > 0)
        while (static_cast<double>(count + 1) * (extent + spacing) - spacing <= usable)
            ++count;
    return count;
}

} // namespace

TEST(GridLayoutStrategyFactory, MakesTheFourLayoutsAndNothingElse)
{
    for (std::int32_t type = 0; type <= 3; ++type) {
        const auto strategy = GridViewLayoutStrategyFactory::strategyFromType(type);
        ASSERT_NE(strategy, nullptr);
        EXPECT_EQ(strategy->type(), type);
        EXPECT_EQ(strategy->requiresEnablingPaging(), type >= 2);
    }
    EXPECT_EQ(GridViewLayoutStrategyFactory::strategyFromType(4), nullptr);
    EXPECT_EQ(GridViewLayoutStrategyFactory::strategyFromType(-1), nullptr);
}

TEST(GridLayoutPaged, FiveByFivePageOfRooms)
{
    const auto strategy = roomPage<GridViewLayoutHorizontalPagedLTRStrategy>(60);
    EXPECT_EQ(strategy.numberOfItemsPerRow(), 5);
    EXPECT_EQ(strategy.numberOfItemsPerColumn(), 5);
    EXPECT_EQ(strategy.numberOfPages(), 3);
    EXPECT_EQ(strategy.edgeInsets(), UIEdgeInsetsMake(6, 6, 6, 6));
    EXPECT_EQ(strategy.contentSize(), CGSizeMake(3000, 600));

    EXPECT_EQ(strategy.pageForItemAtIndex(27), 1);
    EXPECT_EQ(strategy.columnForItemAtPosition(27), 2);
    EXPECT_EQ(strategy.rowForItemAtPosition(27), 0);
    EXPECT_EQ(strategy.originForItemAtPosition(27), CGPointMake(1402, 6));
    EXPECT_EQ(strategy.originForItemAtPosition(24), CGPointMake(4 * 198 + 6, 4 * 118 + 6));
    // The last item of a page stays on that page.
    EXPECT_EQ(strategy.pageForItemAtIndex(24), 0);
    EXPECT_EQ(strategy.pageForItemAtIndex(25), 1);
    EXPECT_EQ(strategy.pageForItemAtIndex(-3), 0);

    const auto ttb = roomPage<GridViewLayoutHorizontalPagedTTBStrategy>(60);
    EXPECT_EQ(ttb.columnForItemAtPosition(27), 0);
    EXPECT_EQ(ttb.rowForItemAtPosition(27), 2);
    EXPECT_EQ(ttb.originForItemAtPosition(27), CGPointMake(1006, 242));
    EXPECT_EQ(ttb.positionForItemAtColumn(0, 2, 1), 27);
    EXPECT_EQ(strategy.positionForItemAtColumn(2, 0, 1), 27);
}

TEST(GridLayoutPaged, PointsMapToTheItemUnderThemOrNothing)
{
    const auto strategy = roomPage<GridViewLayoutHorizontalPagedLTRStrategy>(30);
    // Inside item 27, the spacing after it and the margin above it; where item 30 would sit (the
    // list ends at 29); a page's right edge, which belongs to that page's margin; far away.
    const std::tuple<double, double, std::int64_t> points[] = {
        {1402, 6, 27},     {1402 + 195.5, 6 + 115.5, 27}, {1402 + 197, 50, -1}, {1450, 3, -1},
        {1010, 130, -1},   {1000, 10, -1},                {1000.5, 10, -1},     {1007, 10, 25},
        {-10, 10, -1},     {1e300, 1e300, -1},            {std::nan(""), 10, -1}};
    for (const auto& [x, y, expected] : points)
        EXPECT_EQ(strategy.itemPositionFromLocation(CGPointMake(x, y)), expected) << x << ", " << y;

    const auto ttb = roomPage<GridViewLayoutHorizontalPagedTTBStrategy>(30);
    EXPECT_EQ(ttb.itemPositionFromLocation(CGPointMake(1010, 250)), 27);
}

TEST(GridLayoutPaged, RangeCoversThePreviousCurrentAndNextPage)
{
    const auto strategy = roomPage<GridViewLayoutHorizontalPagedLTRStrategy>(120);
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(0, 0)), (GridPositionRange {0, 75}));
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(-500, -20)), (GridPositionRange {0, 75}));
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(999, 0)), (GridPositionRange {0, 75}));
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(2000, 0)), (GridPositionRange {25, 75}));
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(4000, 0)), (GridPositionRange {75, 45}));
    // Past the end the range is empty, never negative.
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(9000, 0)).length, 0);
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(1e300, 0)).length, 0);
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(std::nan(""), 0)), (GridPositionRange {0, 75}));
}

TEST(GridLayoutPaged, EmptyListAndDegenerateSizes)
{
    const auto empty = roomPage<GridViewLayoutHorizontalPagedLTRStrategy>(0);
    EXPECT_EQ(empty.numberOfPages(), 0);
    EXPECT_EQ(empty.contentSize(), CGSizeMake(0, 600));
    EXPECT_EQ(empty.rangeOfPositionsInBoundsFromOffset(CGPointZero).length, 0);

    // Before a rebase there is no page to divide by.
    GridViewLayoutHorizontalPagedLTRStrategy fresh;
    EXPECT_EQ(fresh.originForItemAtPosition(7), CGPointZero);
    EXPECT_EQ(fresh.itemPositionFromLocation(CGPointMake(5, 5)), -1);
    EXPECT_EQ(fresh.rangeOfPositionsInBoundsFromOffset(CGPointMake(10, 10)).length, 0);

    // Zero bounds: one item per page, and nothing near.
    GridViewLayoutHorizontalPagedLTRStrategy zeroBounds;
    zeroBounds.setupItemSize(CGSizeMake(50, 50), 2, kInsets5, true);
    zeroBounds.rebaseWithItemCount(10, CGRectZero);
    EXPECT_EQ(zeroBounds.numberOfItemsPerPage(), 1);
    EXPECT_EQ(zeroBounds.contentSize(), CGSizeMake(0, 0));
    EXPECT_EQ(zeroBounds.rangeOfPositionsInBoundsFromOffset(CGPointMake(100, 0)).length, 0);
    EXPECT_EQ(zeroBounds.itemPositionFromLocation(CGPointMake(100, 10)), -1);

    // Zero item size and spacing: one per page, every point on nothing.
    GridViewLayoutHorizontalPagedTTBStrategy zeroItems;
    zeroItems.setupItemSize(CGSizeZero, 0, UIEdgeInsetsZero, false);
    zeroItems.rebaseWithItemCount(10, CGRectMake(0, 0, 300, 300));
    EXPECT_EQ(zeroItems.numberOfItemsPerPage(), 1);
    EXPECT_EQ(zeroItems.numberOfPages(), 10);
    EXPECT_EQ(zeroItems.itemPositionFromLocation(CGPointMake(0, 0)), -1);
    EXPECT_EQ(zeroItems.rangeOfPositionsInBoundsFromOffset(CGPointMake(600, 0)), (GridPositionRange {1, 3}));

    // An item wider than a page still gets a page of its own; a negative count is no items.
    GridViewLayoutHorizontalPagedLTRStrategy wide;
    wide.setupItemSize(CGSizeMake(2000, 100), 2, kInsets5, false);
    wide.rebaseWithItemCount(-4, CGRectMake(0, 0, 1000, 600));
    EXPECT_EQ(wide.numberOfItemsPerRow(), 1);
    EXPECT_EQ(wide.itemCount(), 0);
    EXPECT_EQ(wide.numberOfPages(), 0);
}

TEST(GridLayoutVertical, RowsCentredInTheWidth)
{
    GridViewLayoutVerticalStrategy strategy;
    strategy.setupItemSize(CGSizeMake(100, 50), 10, kInsets5, true);
    strategy.rebaseWithItemCount(7, CGRectMake(0, 0, 350, 200));
    // 3 x 110 - 10 = 320 <= 340; 4 x 110 - 10 > 340.
    EXPECT_EQ(strategy.numberOfItemsPerRow(), 3);
    // Three rows measure 3 x 60 - 10 = 170 high: 15 above and below; 15 left and right.
    EXPECT_EQ(strategy.edgeInsets(), UIEdgeInsetsMake(15, 15, 15, 15));
    EXPECT_EQ(strategy.contentSize(), CGSizeMake(350, 200));
    EXPECT_EQ(strategy.originForItemAtPosition(4), CGPointMake(125, 75));
    EXPECT_EQ(strategy.originForItemAtPosition(-1), CGPointZero);

    EXPECT_EQ(strategy.itemPositionFromLocation(CGPointMake(130, 80)), 4);
    EXPECT_EQ(strategy.itemPositionFromLocation(CGPointMake(120, 80)), -1);  // spacing
    EXPECT_EQ(strategy.itemPositionFromLocation(CGPointMake(240, 140)), -1); // after item 6
    EXPECT_EQ(strategy.itemPositionFromLocation(CGPointMake(345, 20)), -1);  // right margin

    // More rows than fit: the minimum margins hold, the content grows downwards.
    strategy.rebaseWithItemCount(30, CGRectMake(0, 0, 350, 200));
    EXPECT_EQ(strategy.edgeInsets(), UIEdgeInsetsMake(5, 15, 5, 15));
    EXPECT_EQ(strategy.contentSize(), CGSizeMake(350, 10 * 60 - 10 + 10));
}

TEST(GridLayoutVertical, RangeReachesOneRowAboveAndBelow)
{
    GridViewLayoutVerticalStrategy strategy;
    strategy.setupItemSize(CGSizeMake(100, 50), 10, kInsets5, false);
    strategy.rebaseWithItemCount(100, CGRectMake(0, 0, 340, 200));
    ASSERT_EQ(strategy.numberOfItemsPerRow(), 3);
    // Rows 0 ... ceil(200 / 60) = 4, plus the row after.
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointZero), (GridPositionRange {0, 15}));
    // At 300 the first visible row is 5: from row 4 to row ceil(500 / 60) = 9.
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(0, 300)), (GridPositionRange {12, 18}));
    // It may run past the last item; the grid ignores what lies beyond.
    EXPECT_GT(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(0, 2000)).end(), 100);
    EXPECT_GE(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(0, 1e300)).length, 0);
}

TEST(GridLayoutVertical, EmptyAndDegenerateSizes)
{
    GridViewLayoutVerticalStrategy strategy;
    EXPECT_EQ(strategy.originForItemAtPosition(3), CGPointZero);
    strategy.setupItemSize(CGSizeMake(100, 50), 4, UIEdgeInsetsZero, false);
    strategy.rebaseWithItemCount(0, CGRectMake(0, 0, 300, 300));
    // No items measure (-s, -s).
    EXPECT_EQ(strategy.contentSize(), CGSizeMake(-4, -4));

    strategy.setupItemSize(CGSizeMake(400, 50), 4, kInsets5, false);
    strategy.rebaseWithItemCount(3, CGRectMake(0, 0, 300, 300));
    EXPECT_EQ(strategy.numberOfItemsPerRow(), 1);
    EXPECT_EQ(strategy.originForItemAtPosition(2), CGPointMake(5, 113));

    strategy.setupItemSize(CGSizeZero, 0, UIEdgeInsetsZero, false);
    strategy.rebaseWithItemCount(3, CGRectMake(0, 0, 300, 300));
    EXPECT_EQ(strategy.numberOfItemsPerRow(), 1);
    EXPECT_EQ(strategy.itemPositionFromLocation(CGPointZero), -1);
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointZero).length, 0);

    strategy.setupItemSize(CGSizeMake(10, 10), 0, UIEdgeInsetsZero, false);
    strategy.rebaseWithItemCount(3, CGRectMake(0, 0, 0, 0));
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointZero).length, 0);
}

TEST(GridLayoutHorizontal, ColumnsCentredInTheHeight)
{
    GridViewLayoutHorizontalStrategy strategy;
    strategy.setupItemSize(CGSizeMake(50, 100), 10, kInsets5, true);
    strategy.rebaseWithItemCount(7, CGRectMake(0, 0, 200, 350));
    EXPECT_EQ(strategy.numberOfItemsPerColumn(), 3);
    EXPECT_EQ(strategy.edgeInsets(), UIEdgeInsetsMake(15, 15, 15, 15));
    EXPECT_EQ(strategy.originForItemAtPosition(4), CGPointMake(75, 125));
    EXPECT_EQ(strategy.originForItemAtPosition(-2), CGPointZero);
    EXPECT_EQ(strategy.itemPositionFromLocation(CGPointMake(80, 130)), 4);
    EXPECT_EQ(strategy.itemPositionFromLocation(CGPointMake(80, 120)), -1);
    EXPECT_EQ(strategy.itemPositionFromLocation(CGPointMake(140, 240)), -1);

    strategy.setupItemSize(CGSizeMake(50, 100), 10, kInsets5, false);
    strategy.rebaseWithItemCount(100, CGRectMake(0, 0, 200, 340));
    EXPECT_EQ(strategy.contentSize(), CGSizeMake(34 * 60 - 10 + 10, 3 * 110 - 10 + 10));
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(300, 0)), (GridPositionRange {12, 18}));
    EXPECT_EQ(strategy.rangeOfPositionsInBoundsFromOffset(CGPointMake(-300, 999)), (GridPositionRange {0, 15}));
}

TEST(GridLayoutMath, ClosedFormCountMatchesTheLoop)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> usable(-50, 2000);
    std::uniform_real_distribution<double> extent(-5, 300);
    std::uniform_int_distribution<int> spacing(-3, 20);
    for (int i = 0; i < 20000; ++i) {
        const double u = i % 3 == 0 ? std::round(usable(random)) : usable(random);
        const double e = i % 2 == 0 ? std::round(extent(random)) : extent(random);
        const double s = spacing(random);
        if (e + s > 0 && e + s < 1)
            continue; // the loop would run too long to be worth it
        ASSERT_EQ(GridLayoutMath::itemsThatFit(u, e, s), countByLoop(u, e, s)) << u << " " << e << " " << s;
    }
    // Exactly at the limit of the room page.
    EXPECT_EQ(GridLayoutMath::itemsThatFit(988, 196, 2), 5);
    EXPECT_EQ(GridLayoutMath::itemsThatFit(987.99, 196, 2), 4);
    EXPECT_EQ(GridLayoutMath::itemsThatFit(std::numeric_limits<double>::infinity(), 1, 0), GridLayoutMath::kIndexLimit);
    EXPECT_EQ(GridLayoutMath::itemsThatFit(std::nan(""), 1, 0), 1);
}
