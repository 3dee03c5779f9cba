#include "kit/grid/GridViewLayoutHorizontalStrategy.h"

#include "kit/grid/GridLayoutMath.h"

#include <algorithm>
#include <cmath>

using namespace GridLayoutMath;

void GridViewLayoutHorizontalStrategy::rebaseWithItemCount(std::int64_t itemCount, CGRect bounds)
{
    storeRebase(itemCount, bounds);
    const CGFloat usableHeight = bounds.size.height - m_minEdgeInsets.top - m_minEdgeInsets.bottom;
    m_numberOfItemsPerColumn = itemsThatFit(usableHeight, m_itemSize.height, spacing());
    const std::int64_t columns = ceilDivide(m_itemCount, m_numberOfItemsPerColumn);
    const auto inFirstColumn = static_cast<CGFloat>(std::min(m_itemCount, m_numberOfItemsPerColumn));
    setEdgeAndContentSizeFromAbsoluteContentSize(CGSizeMake(std::ceil(static_cast<CGFloat>(columns) * stepX()) - spacing(),
                                                            std::ceil(inFirstColumn * stepY()) - spacing()));
}

CGPoint GridViewLayoutHorizontalStrategy::originForItemAtPosition(std::int64_t position) const
{
    if (m_numberOfItemsPerColumn <= 0 || position < 0)
        return CGPointZero;
    const auto column = static_cast<CGFloat>(position / m_numberOfItemsPerColumn);
    const auto row = static_cast<CGFloat>(position % m_numberOfItemsPerColumn);
    return CGPointMake(column * stepX() + m_edgeInsets.left, row * stepY() + m_edgeInsets.top);
}

std::int64_t GridViewLayoutHorizontalStrategy::itemPositionFromLocation(CGPoint location) const
{
    if (!(stepX() > 0) || !(stepY() > 0) || m_numberOfItemsPerColumn <= 0)
        return -1;
    const std::int64_t column = clampToIndex(std::trunc((location.x - m_edgeInsets.left) / stepX()));
    const std::int64_t row = clampToIndex(std::trunc((location.y - m_edgeInsets.top) / stepY()));
    const std::int64_t position = row + column * m_numberOfItemsPerColumn;
    if (position < 0 || position >= m_itemCount)
        return -1;
    return itemContains(position, location) ? position : -1;
}

GridPositionRange GridViewLayoutHorizontalStrategy::rangeOfPositionsInBoundsFromOffset(CGPoint offset) const
{
    const CGFloat step = stepX();
    const CGFloat width = m_gridBounds.size.width;
    if (!(step > 0) || !(width > 0) || !(m_gridBounds.size.height > 0) || m_numberOfItemsPerColumn <= 0)
        return {};
    const CGFloat x = std::max<CGFloat>(0, std::isnan(offset.x) ? 0 : offset.x);
    const std::int64_t firstColumn = std::max<std::int64_t>(0, clampToIndex(std::trunc(x / step)) - 1);
    const std::int64_t lastColumn = clampToIndex(std::ceil((x + width) / step));
    return rangeFromBounds(saturatingMultiply(firstColumn, m_numberOfItemsPerColumn),
                           saturatingMultiply(lastColumn + 1, m_numberOfItemsPerColumn));
}
