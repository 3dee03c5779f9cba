#pragma once

#include "GridTestDoubles.h"
#include "kit/grid/GridViewLayoutStrategyFactory.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <map>

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
        EXPECT_LT(position, static_cast<std::int64_t>(items.ids.size()));
        if (position < static_cast<std::int64_t>(items.ids.size())) {
            EXPECT_EQ(cell->contentView()->tag(), items.ids[static_cast<std::size_t>(position)]) << "at " << position;
        }
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
