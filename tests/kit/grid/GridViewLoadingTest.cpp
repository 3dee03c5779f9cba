#include "RoomGridFixture.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/UIApplication.h"

#include <gtest/gtest.h>

TEST(GridViewLoading, OnlyNearPagesHaveCellsAndReuseBoundsTheirNumber)
{
    RoomGrid room(1000);
    EXPECT_EQ(room.grid->contentSize(), CGSizeMake(40000, 600));
    std::map<std::int64_t, GridViewCellPtr> cells;
    for (int page = 0; page < 40; ++page) {
        room.showPage(page);
        cells = checkedCells(*room.grid, *room.items);
        const std::int64_t first = std::max(0, page - 1) * 25;
        const std::int64_t last = std::min<std::int64_t>(first + 75, 1000) - 1;
        ASSERT_FALSE(cells.empty());
        EXPECT_EQ(cells.begin()->first, first) << "page " << page;
        EXPECT_EQ(cells.rbegin()->first, last) << "page " << page;
        EXPECT_EQ(static_cast<std::int64_t>(cells.size()), last - first + 1) << "page " << page;
    }
    // Three pages of cells and a page parked: 1,000 items never needed more than that.
    EXPECT_LE(room.items->cellsCreated, 100);
    EXPECT_LE(room.grid->reusableCellCount(), 25u);

    // A long jump back parks the far cells without walking the positions in between.
    room.showPage(0);
    cells = checkedCells(*room.grid, *room.items);
    EXPECT_EQ(cells.size(), 75u);
    EXPECT_LE(room.items->cellsCreated, 100);
    EXPECT_EQ(room.grid->cellForItemAtIndex(980), nullptr);
    EXPECT_EQ(room.grid->cellForItemAtIndex(74)->contentView()->tag(), 1074);

    // A memory warning lets the parked cells go.
    room.showPage(39);
    EXPECT_EQ(room.grid->reusableCellCount(), 25u);
    NotificationCenter::defaultCenter().post("UIApplicationDidReceiveMemoryWarningNotification");
    EXPECT_EQ(room.grid->reusableCellCount(), 0u);
}

TEST(GridViewLoading, ReloadClampsTheOffsetAndEmptyDataShowsNothing)
{
    RoomGrid room(1000);
    room.showPage(30);
    room.items->ids.resize(60);
    room.grid->reloadData();
    // Three pages now: the offset comes back to the last one.
    EXPECT_EQ(room.grid->contentOffset(), CGPointMake(2000, 0));
    EXPECT_EQ(room.grid->maxPossibleContentOffset(), CGPointMake(2000, 0));
    EXPECT_EQ(checkedCells(*room.grid, *room.items).size(), 35u);
    // The parked cells carry no identifier, so only the plain dequeue hands them out.
    ASSERT_GE(room.grid->reusableCellCount(), 25u);
    EXPECT_EQ(room.grid->dequeueReusableCellWithIdentifier("room"), nullptr);
    EXPECT_NE(room.grid->dequeueReusableCell(), nullptr);

    room.items->ids.clear();
    room.grid->reloadData();
    EXPECT_EQ(room.grid->contentOffset(), CGPointZero);
    EXPECT_EQ(room.grid->contentSize(), CGSizeMake(0, 600));
    EXPECT_TRUE(checkedCells(*room.grid, *room.items).empty());
    EXPECT_EQ(room.grid->cellForItemAtIndex(0), nullptr);
    EXPECT_EQ(room.grid->cellForItemAtIndex(-50), nullptr);
    // The range never inverts, however small the content.
    EXPECT_EQ(room.grid->maxPossibleContentOffset(), CGPointZero);
}

TEST(GridViewLoading, WithoutDataSourceCellsOrAKnownLayoutNothingBreaks)
{
    ManualMainClock clock;
    auto grid = GridView::create(CGRectMake(0, 0, 400, 300));
    grid->reloadData();
    grid->layoutIfNeeded();
    EXPECT_EQ(grid->numberOfItems(), 0);
    EXPECT_EQ(grid->itemSize(), CGSizeZero);
    EXPECT_TRUE(grid->itemSubviews().empty());

    RoomGrid room(30);
    room.items->withoutCell = {3, 4};
    room.grid->reloadData();
    auto cells = checkedCells(*room.grid, *room.items);
    EXPECT_EQ(cells.size(), 28u);
    EXPECT_FALSE(cells.contains(3));
    // Once the data source has the cells, the next layout pass fills the places.
    room.items->withoutCell.clear();
    room.grid->setNeedsLayout();
    room.grid->layoutIfNeeded();
    EXPECT_EQ(checkedCells(*room.grid, *room.items).size(), 30u);

    // An unknown layout type makes no strategy, and the grid keeps the one it has.
    const auto before = room.grid->layoutStrategy();
    room.grid->setLayoutStrategy(GridViewLayoutStrategyFactory::strategyFromType(9));
    EXPECT_EQ(room.grid->layoutStrategy(), before);
    EXPECT_TRUE(room.grid->isPagingEnabled());
    room.grid->setLayoutStrategy(GridViewLayoutStrategyFactory::strategyFromType(GridViewLayoutVertical));
    EXPECT_FALSE(room.grid->isPagingEnabled());
}

TEST(GridViewLoading, OrientationChangeResizesCellsAndRealignsThePage)
{
    RoomGrid room(200);
    room.grid->setContentOffset(CGPointMake(2400, 0));
    room.items->itemSize = CGSizeMake(150, 100);
    NotificationCenter::defaultCenter().post(UIApplicationWillChangeStatusBarOrientationNotification);
    room.grid->layoutIfNeeded();
    EXPECT_EQ(room.grid->itemSize(), CGSizeMake(150, 100));
    // The page that holds the offset, not the one after it.
    EXPECT_EQ(room.grid->contentOffset(), CGPointMake(2000, 0));
    for (const auto& [position, cell] : checkedCells(*room.grid, *room.items))
        EXPECT_EQ(cell->bounds().size, CGSizeMake(150, 100)) << position;
    EXPECT_NE(room.grid->layer().animationForKey("rotationAnimation"), nullptr);
}
