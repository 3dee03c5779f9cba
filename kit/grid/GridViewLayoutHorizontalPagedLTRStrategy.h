#pragma once

#include "kit/grid/GridViewLayoutHorizontalPagedStrategy.h"

// Pages filled row by row: the room floor's layout.
class GridViewLayoutHorizontalPagedLTRStrategy : public GridViewLayoutHorizontalPagedStrategy {
public:
    GridViewLayoutHorizontalPagedLTRStrategy() : GridViewLayoutHorizontalPagedStrategy(GridViewLayoutHorizontalPagedLTR) {}
};
