#pragma once

#include "kit/grid/GridViewLayoutStrategyBase.h"

// Rows of items as wide as the bounds allow, scrolling down.
class GridViewLayoutVerticalStrategy : public GridViewLayoutStrategyBase {
public:
    GridViewLayoutVerticalStrategy() : GridViewLayoutStrategyBase(GridViewLayoutVertical) {}

    void rebaseWithItemCount(std::int64_t itemCount, CGRect bounds) override;
    CGPoint originForItemAtPosition(std::int64_t position) const override;
    std::int64_t itemPositionFromLocation(CGPoint location) const override;
    GridPositionRange rangeOfPositionsInBoundsFromOffset(CGPoint offset) const override;
    bool requiresEnablingPaging() const override { return false; }

    std::int64_t numberOfItemsPerRow() const { return m_numberOfItemsPerRow; }

private:
    std::int64_t m_numberOfItemsPerRow = 0;
};
