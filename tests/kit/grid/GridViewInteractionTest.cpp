#include "RoomGridFixture.h"

#include <gtest/gtest.h>

TEST(GridViewTaps, MapToItemsOrEmptySpace)
{
    RoomGrid room(30);
    auto& tap = *room.grid->tapGesture();
    EXPECT_TRUE(GestureDriver::recognize(tap, {centreOfItem(*room.grid, 7)}));
    // A point in the spacing after item 0, and one past the last item on page 1.
    EXPECT_TRUE(GestureDriver::recognize(tap, {CGPointMake(6 + 196 + 1, 50)}));
    EXPECT_TRUE(GestureDriver::recognize(tap, {CGPointMake(1500, 500)}));
    room.showPage(1);
    // Locations are in the content, which now starts at the second page.
    EXPECT_TRUE(GestureDriver::recognize(tap, {centreOfItem(*room.grid, 27)}));
    EXPECT_EQ(room.actions->taps, (std::vector<std::int64_t> {7, 27}));
    EXPECT_EQ(room.actions->emptyTaps, 2);
    // Tapped cells are not left lit.
    EXPECT_FALSE(room.grid->cellForItemAtIndex(27)->isHighlighted());
}

TEST(GridViewTaps, NotWhileTheGridScrolls)
{
    RoomGrid room(60);
    auto& pan = *room.grid->panGestureRecognizer();
    ASSERT_TRUE(GestureDriver::begin(pan, {{600, 300}}));
    room.clock.clock().advance(0.1);
    GestureDriver::change(pan, {{500, 300}});
    EXPECT_FALSE(GestureDriver::recognize(*room.grid->tapGesture(), {centreOfItem(*room.grid, 0)}));
    GestureDriver::end(pan);
    ASSERT_TRUE(room.grid->isDecelerating());
    EXPECT_FALSE(GestureDriver::recognize(*room.grid->tapGesture(), {centreOfItem(*room.grid, 30)}));
    room.clock.advance(0.5);
    EXPECT_EQ(room.grid->contentOffset(), CGPointMake(1000, 0));
    EXPECT_TRUE(GestureDriver::recognize(*room.grid->tapGesture(), {centreOfItem(*room.grid, 30)}));
    EXPECT_EQ(room.actions->taps, std::vector<std::int64_t> {30});
}

TEST(GridViewEditing, NeedsADelegateThatDeletesAndReportsOnlyChanges)
{
    RoomGrid room(30);
    room.actions->deletes = false;
    room.grid->setEditing(true);
    EXPECT_FALSE(room.grid->isEditing());
    EXPECT_TRUE(room.actions->editChanges.empty());

    room.actions->deletes = true;
    room.items->notDeletable = {3};
    room.grid->setEditing(true);
    room.grid->setEditing(true);
    EXPECT_TRUE(room.grid->isEditing());
    EXPECT_EQ(room.actions->editChanges, std::vector<bool> {true});
    EXPECT_TRUE(room.grid->cellForItemAtIndex(2)->isEditing());
    EXPECT_FALSE(room.grid->cellForItemAtIndex(3)->isEditing());

    // The delete button reports its item, unless the data source keeps it.
    room.grid->cellForItemAtIndex(2)->deleteButton()->tap();
    room.grid->cellForItemAtIndex(3)->deleteButton()->tap();
    EXPECT_EQ(room.actions->deleteRequests, std::vector<std::int64_t> {2});

    // While editing a tap on an item reports nothing.
    EXPECT_FALSE(GestureDriver::recognize(*room.grid->tapGesture(), {centreOfItem(*room.grid, 2)}));
    room.grid->setDisableEditOnEmptySpaceTap(true);
    EXPECT_FALSE(GestureDriver::recognize(*room.grid->tapGesture(), {centreOfItem(*room.grid, 2)}));
    EXPECT_TRUE(GestureDriver::recognize(*room.grid->tapGesture(), {CGPointMake(1500, 500)}));
    EXPECT_FALSE(room.grid->isEditing());
    EXPECT_EQ(room.actions->editChanges, (std::vector<bool> {true, false}));
    EXPECT_TRUE(room.actions->taps.empty());
    EXPECT_FALSE(room.grid->cellForItemAtIndex(2)->isEditing());
}

TEST(GridViewEditing, CellsMadeWhileEditingTakeTheState)
{
    RoomGrid room(200);
    room.grid->setEditing(true);
    room.showPage(5);
    EXPECT_TRUE(room.grid->cellForItemAtIndex(150)->isEditing());
    room.grid->setEditing(false);
    room.showPage(0);
    EXPECT_FALSE(room.grid->cellForItemAtIndex(0)->isEditing());
    // A parked cell goes back to the queue without its delete block.
    room.showPage(7);
    auto parked = room.grid->dequeueReusableCell();
    ASSERT_NE(parked, nullptr);
    EXPECT_FALSE(parked->deleteBlock());
}

TEST(GridViewChanges, InsertBeforeTheLoadedItemsShiftsThem)
{
    RoomGrid room(200);
    room.showPage(4);
    room.items->ids.insert(room.items->ids.begin(), 1);
    room.grid->insertObjectAtIndexAnimated(0, false);
    EXPECT_EQ(room.grid->numberOfItems(), 201);
    const auto cells = checkedCells(*room.grid, *room.items);
    EXPECT_EQ(cells.size(), 75u);
    EXPECT_EQ(cells.begin()->first, 75);
    EXPECT_EQ(room.grid->cellForItemAtIndex(80)->contentView()->tag(), room.items->ids[80]);

    // Inside the loaded items, with a fade: the new cell appears after the others made room.
    room.items->ids.insert(room.items->ids.begin() + 110, 2);
    room.grid->insertObjectAtIndexWithAnimation(110, GridViewItemAnimationFade);
    EXPECT_EQ(room.grid->cellForItemAtIndex(110)->contentView()->tag(), 2);
    EXPECT_EQ(room.grid->cellForItemAtIndex(110)->alpha(), 1);
    EXPECT_EQ(checkedCells(*room.grid, *room.items).size(), 75u);

    // After them: only the count and the size change.
    room.items->ids.push_back(3);
    room.grid->insertObjectAtIndexAnimated(202, false);
    EXPECT_EQ(room.grid->contentSize(), CGSizeMake(9000, 600));
    EXPECT_EQ(room.grid->cellForItemAtIndex(202), nullptr);
}

TEST(GridViewChanges, RemoveAndReloadReplaceTheCellAtOnceAndParkTheOldOneWhenDone)
{
    RoomGrid room(60);
    const GridViewCellPtr gone = room.grid->cellForItemAtIndex(10);
    room.items->ids.erase(room.items->ids.begin() + 10);
    room.grid->removeObjectAtIndexWithAnimation(10, GridViewItemAnimationFade);
    EXPECT_EQ(gone->tag(), GridView::kDepartingTag);
    EXPECT_EQ(gone->alpha(), 0);
    EXPECT_EQ(room.grid->cellForItemAtIndex(10)->contentView()->tag(), room.items->ids[10]);
    EXPECT_EQ(room.grid->numberOfItems(), 59);
    room.clock.advance(0.4);
    EXPECT_EQ(gone->superview(), nullptr);

    const GridViewCellPtr old = room.grid->cellForItemAtIndex(4);
    room.items->ids[4] = 7;
    room.grid->reloadObjectAtIndexAnimated(4, false);
    EXPECT_EQ(room.grid->cellForItemAtIndex(4)->contentView()->tag(), 7);
    EXPECT_NE(room.grid->cellForItemAtIndex(4), old);
    room.clock.advance(0.1);
    EXPECT_EQ(old->superview(), nullptr);
    EXPECT_EQ(checkedCells(*room.grid, *room.items).size(), 59u);
}

TEST(GridViewChanges, LateCompletionsLeaveReusedCellsAlone)
{
    RoomGrid room(60);
    const GridViewCellPtr gone = room.grid->cellForItemAtIndex(10);
    room.items->ids.erase(room.items->ids.begin() + 10);
    room.grid->removeObjectAtIndexWithAnimation(10, GridViewItemAnimationFade);
    // A reload before the fade ends parks every cell and hands them out again.
    room.grid->reloadData();
    const auto cells = checkedCells(*room.grid, *room.items);
    ASSERT_EQ(cells.size(), 59u);
    room.clock.advance(0.4);
    EXPECT_EQ(checkedCells(*room.grid, *room.items).size(), 59u);
    for (const auto& [position, cell] : cells)
        EXPECT_EQ(cell->superview(), room.grid.get()) << position;

    // The same for a replaced item.
    room.items->ids[4] = 7;
    room.grid->reloadObjectAtIndexWithAnimation(4, GridViewItemAnimationFade);
    EXPECT_EQ(room.grid->cellForItemAtIndex(4)->contentView()->tag(), 7);
    room.grid->reloadData();
    room.clock.advance(0.4);
    EXPECT_EQ(checkedCells(*room.grid, *room.items).size(), 59u);
}

TEST(GridViewChanges, SwapScrollsToAPlaceOutOfSight)
{
    RoomGrid room(200);
    // Both on the first page: nothing to scroll.
    std::swap(room.items->ids[1], room.items->ids[3]);
    room.grid->swapObjectAtIndexAnimated(1, 3, true);
    EXPECT_EQ(room.grid->contentOffset(), CGPointZero);
    EXPECT_EQ(checkedCells(*room.grid, *room.items).size(), 75u);

    // One loaded, one far away: the grid follows the item that left the visible page.
    std::swap(room.items->ids[2], room.items->ids[120]);
    room.grid->swapObjectAtIndexAnimated(2, 120, true);
    EXPECT_EQ(room.grid->contentOffset(), CGPointMake(4000, 0));
    room.clock.advance(0.4);
    room.grid->layoutIfNeeded();
    const auto cells = checkedCells(*room.grid, *room.items);
    EXPECT_TRUE(cells.contains(120));
    room.showPage(0);
    EXPECT_EQ(room.grid->cellForItemAtIndex(2)->contentView()->tag(), room.items->ids[2]);
}

TEST(GridViewScrolling, PagedTargetIsThePageThatHoldsTheItem)
{
    RoomGrid room(60);
    room.grid->scrollToObjectAtIndex(27, GridViewScrollPositionNone, false);
    EXPECT_EQ(room.grid->contentOffset(), CGPointMake(1000, 0));
    room.grid->scrollToObjectAtIndex(24, GridViewScrollPositionTop, false);
    EXPECT_EQ(room.grid->contentOffset(), CGPointZero);
    // The place after the last item is on a page the content does not reach.
    room.grid->scrollToObjectAtIndex(1000, GridViewScrollPositionNone, true);
    EXPECT_EQ(room.grid->contentOffset(), CGPointMake(2000, 0));
    room.grid->scrollToObjectAtIndex(-5, GridViewScrollPositionNone, false);
    EXPECT_EQ(room.grid->contentOffset(), CGPointZero);
}

TEST(GridViewScrolling, VerticalPositionsUseTheVisibleHeight)
{
    ManualMainClock clock;
    auto items = std::make_shared<ItemList>(100, CGSizeMake(100, 50));
    auto grid = GridView::create(CGRectMake(0, 0, 340, 200));
    grid->setMinEdgeInsets(UIEdgeInsetsMake(5, 5, 5, 5));
    grid->setCenterGrid(false);
    grid->setDataSource(items);
    grid->layoutIfNeeded();
    // Three per row, rows every 60 points: item 30 is at y = 605.
    ASSERT_EQ(grid->layoutStrategy()->originForItemAtPosition(30).y, 605);
    grid->scrollToObjectAtIndex(30, GridViewScrollPositionTop, false);
    EXPECT_EQ(grid->contentOffset().y, 605);
    grid->scrollToObjectAtIndex(30, GridViewScrollPositionMiddle, false);
    EXPECT_EQ(grid->contentOffset().y, 605 - 75);
    grid->scrollToObjectAtIndex(30, GridViewScrollPositionBottom, false);
    EXPECT_EQ(grid->contentOffset().y, 605 - 150);
    // None moves the least: the item is already in sight.
    grid->scrollToObjectAtIndex(30, GridViewScrollPositionNone, false);
    EXPECT_EQ(grid->contentOffset().y, 605 - 150);
    grid->scrollToObjectAtIndex(1, GridViewScrollPositionBottom, false);
    EXPECT_EQ(grid->contentOffset().y, 0);
}
