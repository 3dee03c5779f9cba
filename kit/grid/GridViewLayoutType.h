#pragma once

#include <cstdint>

// The numbers are what callers pass to GridViewLayoutStrategyFactory::strategyFromType.
enum GridViewLayoutType : std::int32_t {
    GridViewLayoutVertical = 0,
    GridViewLayoutHorizontal = 1,
    GridViewLayoutHorizontalPagedLTR = 2,
    GridViewLayoutHorizontalPagedTTB = 3,
};
