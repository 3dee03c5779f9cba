#pragma once

#include "kit/grid/GridViewLayoutHorizontalPagedStrategy.h"

// Pages filled column by column.
class GridViewLayoutHorizontalPagedTTBStrategy : public GridViewLayoutHorizontalPagedStrategy {
public:
    GridViewLayoutHorizontalPagedTTBStrategy() : GridViewLayoutHorizontalPagedStrategy(GridViewLayoutHorizontalPagedTTB) {}

    std::int64_t positionForItemAtColumn(std::int64_t column, std::int64_t row, std::int64_t page) const override;
    std::int64_t columnForItemAtPosition(std::int64_t position) const override;
    std::int64_t rowForItemAtPosition(std::int64_t position) const override;
};
