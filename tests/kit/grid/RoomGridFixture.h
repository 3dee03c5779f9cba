#pragma once

#include "kit/grid/GridView.h"
#include "kit/grid/GridViewLayoutStrategyFactory.h"
#include "platform/ui/GestureDriver.h"
#include "tests/support/GeometryPrinting.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

// A data source over a list of item ids. Each cell's content view carries the id of the item it
// was made for in its tag, so a test can tell which item a cell shows.
class ItemList : public GridViewDataSource {
public:
    explicit ItemList(std::int64_t count, CGSize size = CGSizeMake(196, 116))
        : itemSize(size)
    {
        for (std::int64_t i = 0; i < count; ++i)
            ids.push_back(static_cast<int>(i) + 1000);
    }

    std::vector<int> ids;
    CGSize itemSize;
    std::set<std::int64_t> withoutCell;
    std::set<std::int64_t> notDeletable;
    int cellsCreated = 0;

    std::int64_t numberOfItemsInGridView(GridView&) override { return static_cast<std::int64_t>(ids.size()); }
    CGSize GridViewSizeForItemsInInterfaceOrientation(GridView&, UIInterfaceOrientation) override { return itemSize; }
    std::shared_ptr<GridViewCell> GridViewCellForItemAtIndex(GridView& grid, std::int64_t index) override
    {
        if (withoutCell.contains(index) || index < 0 || index >= static_cast<std::int64_t>(ids.size()))
            return nullptr;
        GridViewCellPtr cell = grid.dequeueReusableCell();
        if (!cell) {
            ++cellsCreated;
            cell = GridViewCell::create();
            cell->setContentView(UIView::create());
        }
        cell->contentView()->setTag(ids[static_cast<std::size_t>(index)]);
        return cell;
    }
    std::optional<bool> GridViewCanDeleteItemAtIndex(GridView&, std::int64_t index) override
    {
        return !notDeletable.contains(index);
    }
};

class ActionLog : public GridViewActionDelegate {
public:
    bool deletes = true;
    std::vector<std::int64_t> taps;
    int emptyTaps = 0;
    std::vector<bool> editChanges;
    std::vector<std::int64_t> deleteRequests;

    void GridViewDidTapOnItemAtIndex(GridView&, std::int64_t index) override { taps.push_back(index); }
    void GridViewDidTapOnEmptySpace(GridView&) override { ++emptyTaps; }
    void GridViewProcessDeleteActionForItemAtIndex(GridView&, std::int64_t index) override
    {
        deleteRequests.push_back(index);
    }
    bool handlesDeleteActions() const override { return deletes; }
    void GridViewChangedEdit(GridView&, bool editing) override { editChanges.push_back(editing); }
};

// Records the moves and keeps the item list in the order the grid shows.
class SortLog : public GridViewSortingDelegate {
public:
    std::shared_ptr<ItemList> items;
    int started = 0;
    int ended = 0;
    std::optional<bool> allowShaking;
    std::vector<std::pair<std::int64_t, std::int64_t>> moves;
    std::vector<std::pair<std::int64_t, std::int64_t>> exchanges;

    void GridViewDidStartMovingCell(GridView&, GridViewCell&) override { ++started; }
    void GridViewDidEndMovingCell(GridView&, GridViewCell&) override { ++ended; }
    std::optional<bool> GridViewShouldAllowShakingBehaviorWhenMovingCell(GridView&, GridViewCell&, std::int64_t) override
    {
        return allowShaking;
    }
    void GridViewMoveItemAtIndex(GridView&, std::int64_t from, std::int64_t to) override
    {
        moves.emplace_back(from, to);
        auto& ids = items->ids;
        const int moved = ids[static_cast<std::size_t>(from)];
        ids.erase(ids.begin() + from);
        ids.insert(ids.begin() + to, moved);
    }
    void GridViewExchangeItemAtIndex(GridView&, std::int64_t a, std::int64_t b) override
    {
        exchanges.emplace_back(a, b);
        std::swap(items->ids[static_cast<std::size_t>(a)], items->ids[static_cast<std::size_t>(b)]);
    }
};

class TransformLog : public GridViewTransformationDelegate {
public:
    std::vector<std::int64_t> asked;
    int started = 0;
    int entered = 0;
    int ended = 0;

    CGSize GridViewSizeInFullSizeForCell(GridView&, GridViewCell&, std::int64_t index, UIInterfaceOrientation) override
    {
        asked.push_back(index);
        return CGSizeMake(600, 400);
    }
    UIViewPtr GridViewFullSizeViewForCell(GridView&, GridViewCell&, std::int64_t) override { return UIView::create(); }
    void GridViewDidStartTransformingCell(GridView&, GridViewCell&) override { ++started; }
    void GridViewDidEnterFullSizeForCell(GridView&, GridViewCell&) override { ++entered; }
    void GridViewDidEndTransformingCell(GridView&, GridViewCell&) override { ++ended; }
};

// The room floor's grid: 5 x 5 items of 196 x 116 on pages of 1000 x 600.
struct RoomGrid {
    ManualMainClock clock;
    std::shared_ptr<ItemList> items;
    std::shared_ptr<ActionLog> actions = std::make_shared<ActionLog>();
    GridViewPtr grid = GridView::create(CGRectMake(0, 0, 1000, 600));

    explicit RoomGrid(std::int64_t count)
        : items(std::make_shared<ItemList>(count))
    {
        grid->setLayoutStrategy(GridViewLayoutStrategyFactory::strategyFromType(GridViewLayoutHorizontalPagedLTR));
        grid->setItemSpacing(2);
        grid->setMinEdgeInsets(UIEdgeInsetsMake(5, 5, 5, 5));
        grid->setActionDelegate(actions);
        grid->setDataSource(items);
        grid->layoutIfNeeded();
    }

    void showPage(int page) { grid->setContentOffset(CGPointMake(page * 1000.0, 0)); }
};

// Every loaded cell shows the item of its position, at that item's place, and no position has
// two cells. Returns the loaded positions.
inline std::map<std::int64_t, GridViewCellPtr> checkedCells(GridView& grid, const ItemList& items)
{
    std::map<std::int64_t, GridViewCellPtr> byPosition;
    for (const auto& cell : grid.itemSubviews()) {
        if (cell->tag() < GridView::kTagOffset)
            continue;
        const std::int64_t position = cell->tag() - GridView::kTagOffset;
        EXPECT_TRUE(byPosition.emplace(position, cell).second) << "two cells at " << position;
        // A position past the list throws, which fails the test.
        EXPECT_EQ(cell->contentView()->tag(), items.ids.at(static_cast<std::size_t>(position))) << "at " << position;
        EXPECT_EQ(cell->frame().origin, grid.layoutStrategy()->originForItemAtPosition(position)) << "at " << position;
    }
    return byPosition;
}

// The middle of an item, in the grid's content.
inline CGPoint centreOfItem(GridView& grid, std::int64_t position)
{
    const CGPoint origin = grid.layoutStrategy()->originForItemAtPosition(position);
    return CGPointMake(origin.x + grid.itemSize().width / 2, origin.y + grid.itemSize().height / 2);
}
