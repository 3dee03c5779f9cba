#pragma once

#include "kit/grid/GridViewLayoutStrategy.h"

#include <cstdint>
#include <memory>

class GridViewLayoutStrategyFactory {
public:
    // A new, empty strategy of the type, or none for a number that names no layout.
    static std::shared_ptr<GridViewLayoutStrategy> strategyFromType(std::int32_t type);
};
