#include "kit/grid/GridViewLayoutStrategyFactory.h"

#include "kit/grid/GridViewLayoutHorizontalPagedLTRStrategy.h"
#include "kit/grid/GridViewLayoutHorizontalPagedTTBStrategy.h"
#include "kit/grid/GridViewLayoutHorizontalStrategy.h"
#include "kit/grid/GridViewLayoutVerticalStrategy.h"

std::shared_ptr<GridViewLayoutStrategy> GridViewLayoutStrategyFactory::strategyFromType(std::int32_t type)
{
    switch (type) {
    case GridViewLayoutVertical:
        return std::make_shared<GridViewLayoutVerticalStrategy>();
    case GridViewLayoutHorizontal:
        return std::make_shared<GridViewLayoutHorizontalStrategy>();
    case GridViewLayoutHorizontalPagedLTR:
        return std::make_shared<GridViewLayoutHorizontalPagedLTRStrategy>();
    case GridViewLayoutHorizontalPagedTTB:
        return std::make_shared<GridViewLayoutHorizontalPagedTTBStrategy>();
    default:
        return nullptr;
    }
}
