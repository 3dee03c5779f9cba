#include "kit/grid/GridViewLayoutHorizontalPagedTTBStrategy.h"

#include "kit/grid/GridLayoutMath.h"

std::int64_t GridViewLayoutHorizontalPagedTTBStrategy::positionForItemAtColumn(std::int64_t column, std::int64_t row,
                                                                               std::int64_t page) const
{
    using namespace GridLayoutMath;
    if (column < 0 || row < 0 || page < 0)
        return -1;
    return saturatingAdd(saturatingAdd(row, saturatingMultiply(column, m_numberOfItemsPerColumn)),
                         saturatingMultiply(page, m_numberOfItemsPerPage));
}

std::int64_t GridViewLayoutHorizontalPagedTTBStrategy::columnForItemAtPosition(std::int64_t position) const
{
    return m_numberOfItemsPerColumn > 0 ? positionInPage(position) / m_numberOfItemsPerColumn : 0;
}

std::int64_t GridViewLayoutHorizontalPagedTTBStrategy::rowForItemAtPosition(std::int64_t position) const
{
    return m_numberOfItemsPerColumn > 0 ? positionInPage(position) % m_numberOfItemsPerColumn : 0;
}
