#include "RoomGridFixture.h"
#include "kit/grid/ViewAdditions.h"

#include <gtest/gtest.h>

namespace {

struct SortingGrid : RoomGrid {
    std::shared_ptr<SortLog> sorting = std::make_shared<SortLog>();

    explicit SortingGrid(std::int64_t count, std::int32_t style)
        : RoomGrid(count)
    {
        sorting->items = items;
        grid->setSortingDelegate(sorting);
        grid->setStyle(style);
    }

    // A finger pressed on an item, then dragged (in the grid's space at the time of each move).
    bool press(std::int64_t position) { return GestureDriver::begin(*grid->longPressGesture(), {centreOfItem(*grid, position)}); }
    void dragTo(std::int64_t position)
    {
        const CGPoint point = centreOfItem(*grid, position);
        auto& pan = *grid->sortingPanGesture();
        if (pan.state() == UIGestureRecognizerState::Possible) {
            ASSERT_TRUE(GestureDriver::begin(pan, {grid->longPressGesture()->locationInView(grid.get())}));
        }
        GestureDriver::change(pan, {point});
        GestureDriver::change(*grid->longPressGesture(), {point});
    }
    void release()
    {
        GestureDriver::end(*grid->longPressGesture());
        clock.advance(0.4);
    }
};

int idAt(RoomGrid& room, std::int64_t position)
{
    auto cell = room.grid->cellForItemAtIndex(position);
    return cell ? cell->contentView()->tag() : -1;
}

// The ids shown at positions first ... last; -1 where a place has no cell.
std::vector<int> idsAt(RoomGrid& room, std::int64_t first, std::int64_t last)
{
    std::vector<int> ids;
    for (std::int64_t p = first; p <= last; ++p)
        ids.push_back(idAt(room, p));
    return ids;
}

} // namespace

TEST(GridViewSorting, ExchangeStyleSwapsWithEachItemPassed)
{
    SortingGrid room(30, GridViewStyleExchange);
    ASSERT_TRUE(room.press(2));
    const GridViewCellPtr dragged = room.grid->sortMovingItem();
    ASSERT_NE(dragged, nullptr);
    EXPECT_EQ(dragged->tag(), 0);
    EXPECT_EQ(room.grid->sortFuturePosition(), 2);
    EXPECT_TRUE(dragged->isInShakingMode());
    EXPECT_EQ(room.sorting->started, 1);

    room.dragTo(5);
    EXPECT_EQ(idAt(room, 2), 1005);
    EXPECT_EQ(room.grid->cellForItemAtIndex(2)->frame().origin, room.grid->layoutStrategy()->originForItemAtPosition(2));
    room.dragTo(7);
    EXPECT_EQ(idAt(room, 5), 1007);
    // Over empty space, its own place or the spacing: nothing.
    room.dragTo(7);
    GestureDriver::change(*room.grid->sortingPanGesture(), {CGPointMake(1500, 550)});
    EXPECT_EQ(room.sorting->exchanges, (std::vector<std::pair<std::int64_t, std::int64_t>> {{2, 5}, {5, 7}}));

    room.release();
    EXPECT_EQ(room.grid->cellForItemAtIndex(7), dragged);
    EXPECT_EQ(dragged->frame().origin, room.grid->layoutStrategy()->originForItemAtPosition(7));
    EXPECT_FALSE(dragged->isInShakingMode());
    EXPECT_EQ(room.grid->sortMovingItem(), nullptr);
    EXPECT_EQ(room.grid->sortFuturePosition(), -1);
    EXPECT_EQ(room.sorting->ended, 1);
}

TEST(GridViewSorting, MoveStyleShiftsTheItemsBetween)
{
    SortingGrid room(30, GridViewStyleMove);
    room.sorting->allowShaking = false;
    ASSERT_TRUE(room.press(2));
    EXPECT_FALSE(room.grid->sortMovingItem()->isInShakingMode());
    // The dragged item's future place stays free.
    room.dragTo(5);
    EXPECT_EQ(idsAt(room, 2, 5), (std::vector<int> {1003, 1004, 1005, -1}));
    room.dragTo(3);
    EXPECT_EQ(idsAt(room, 2, 5), (std::vector<int> {1003, -1, 1004, 1005}));
    EXPECT_EQ(room.sorting->moves, (std::vector<std::pair<std::int64_t, std::int64_t>> {{2, 5}, {5, 3}}));
    room.release();
    EXPECT_EQ(idAt(room, 3), 1002);
    EXPECT_EQ(checkedCells(*room.grid, *room.items).size(), 30u);
}

TEST(GridViewSorting, PressesThatStartNothing)
{
    SortingGrid room(30, GridViewStyleExchange);
    // Empty space: the press is recognised but lifts nothing, and no drag can follow.
    ASSERT_TRUE(GestureDriver::begin(*room.grid->longPressGesture(), {CGPointMake(1500, 550)}));
    EXPECT_EQ(room.grid->sortMovingItem(), nullptr);
    EXPECT_FALSE(GestureDriver::begin(*room.grid->sortingPanGesture(), {CGPointMake(1500, 550)}));
    GestureDriver::end(*room.grid->longPressGesture());

    // A second press while the first item still settles lifts nothing more; the press ends again
    // (cancelled) and the item still lands once, where it was dragged.
    ASSERT_TRUE(room.press(4));
    const GridViewCellPtr first = room.grid->sortMovingItem();
    room.dragTo(6);
    GestureDriver::end(*room.grid->longPressGesture());
    ASSERT_TRUE(room.press(9));
    EXPECT_EQ(room.grid->sortMovingItem(), first);
    GestureDriver::cancel(*room.grid->longPressGesture());
    room.clock.advance(0.4);
    EXPECT_EQ(room.grid->sortMovingItem(), nullptr);
    EXPECT_EQ(idAt(room, 6), 1004);
    EXPECT_EQ(idAt(room, 9), 1009);
    EXPECT_EQ(room.sorting->started, 1);
    EXPECT_EQ(room.sorting->ended, 1);
    EXPECT_EQ(checkedCells(*room.grid, *room.items).size(), 30u);

    // Without a sorting delegate the press is not recognised at all.
    room.grid->setSortingDelegate(nullptr);
    EXPECT_FALSE(room.press(4));

    // With edit-on-long-press a press only enters edit mode.
    room.grid->setEnableEditOnLongPress(true);
    ASSERT_TRUE(room.press(4));
    EXPECT_TRUE(room.grid->isEditing());
    EXPECT_EQ(room.grid->sortMovingItem(), nullptr);
    GestureDriver::end(*room.grid->longPressGesture());
    // In edit mode the press is not recognised.
    EXPECT_FALSE(room.press(4));
}

TEST(GridViewSorting, ReloadDuringADragLeavesTheDraggedCellAlone)
{
    SortingGrid room(30, GridViewStyleExchange);
    ASSERT_TRUE(room.press(2));
    const GridViewCellPtr dragged = room.grid->sortMovingItem();
    room.dragTo(6);
    room.grid->reloadData();
    EXPECT_EQ(dragged->superview(), room.grid.get());
    EXPECT_EQ(room.grid->sortMovingItem(), dragged);
    // Its future place stays free for it.
    EXPECT_EQ(room.grid->cellForItemAtIndex(6), nullptr);
    room.release();
    EXPECT_EQ(room.grid->cellForItemAtIndex(6), dragged);
    EXPECT_EQ(checkedCells(*room.grid, *room.items).size(), 30u);

    // A reload that takes every item away: the cell has nowhere to land and is parked.
    ASSERT_TRUE(room.press(1));
    const GridViewCellPtr second = room.grid->sortMovingItem();
    room.items->ids.clear();
    room.grid->reloadData();
    room.release();
    EXPECT_EQ(second->superview(), nullptr);
    EXPECT_EQ(room.grid->sortMovingItem(), nullptr);
    EXPECT_EQ(room.sorting->ended, 2);
}

TEST(GridViewSorting, AutoScrollStepsHalfAnItemAndStopsAtTheEnd)
{
    SortingGrid room(60, GridViewStyleExchange);
    ASSERT_TRUE(room.press(2));
    auto& pan = *room.grid->sortingPanGesture();
    ASSERT_TRUE(GestureDriver::begin(pan, {centreOfItem(*room.grid, 2)}));
    // Away from the edges nothing moves; the check comes back every half second.
    room.clock.advance(0.45);
    EXPECT_EQ(room.grid->contentOffset(), CGPointZero);
    // Held near the right edge: each step moves half an item, 98 points, until the last page.
    GestureDriver::change(pan, {CGPointMake(990, 300)});
    room.clock.advance(0.1);
    EXPECT_EQ(room.grid->contentOffset(), CGPointMake(98, 0));
    room.clock.advance(12);
    EXPECT_EQ(room.grid->contentOffset(), CGPointMake(2000, 0));
    // Lifting the finger stops it for good.
    GestureDriver::end(pan);
    room.release();
    const CGPoint resting = room.grid->contentOffset();
    room.clock.advance(2);
    EXPECT_EQ(room.grid->contentOffset(), resting);
}
