#pragma once

#include "kit/grid/GridViewLayoutStrategyBase.h"

// Columns of items as tall as the bounds allow, scrolling right.
class GridViewLayoutHorizontalStrategy : public GridViewLayoutStrategyBase {
public:
    GridViewLayoutHorizontalStrategy() : GridViewLayoutStrategyBase(GridViewLayoutHorizontal) {}

    void rebaseWithItemCount(std::int64_t itemCount, CGRect bounds) override;
    CGPoint originForItemAtPosition(std::int64_t position) const override;
    std::int64_t itemPositionFromLocation(CGPoint location) const override;
    GridPositionRange rangeOfPositionsInBoundsFromOffset(CGPoint offset) const override;
    bool requiresEnablingPaging() const override { return false; }

    std::int64_t numberOfItemsPerColumn() const { return m_numberOfItemsPerColumn; }

protected:
    explicit GridViewLayoutHorizontalStrategy(GridViewLayoutType type) : GridViewLayoutStrategyBase(type) {}

    std::int64_t m_numberOfItemsPerColumn = 0;
};
