#include "kit/grid/GridViewLayoutVerticalStrategy.h"

#include "kit/grid/GridLayoutMath.h"

#include <algorithm>
#include <cmath>

using namespace GridLayoutMath;

void GridViewLayoutVerticalStrategy::rebaseWithItemCount(std::int64_t itemCount, CGRect bounds)
{
    storeRebase(itemCount, bounds);
    const CGFloat usableWidth = bounds.size.width - m_minEdgeInsets.right - m_minEdgeInsets.left;
    m_numberOfItemsPerRow = itemsThatFit(usableWidth, m_itemSize.width, spacing());
    const std::int64_t rows = ceilDivide(m_itemCount, m_numberOfItemsPerRow);
    const auto inFirstRow = static_cast<CGFloat>(std::min(m_itemCount, m_numberOfItemsPerRow));
    setEdgeAndContentSizeFromAbsoluteContentSize(CGSizeMake(std::ceil(inFirstRow * stepX()) - spacing(),
                                                            std::ceil(static_cast<CGFloat>(rows) * stepY()) - spacing()));
}

CGPoint GridViewLayoutVerticalStrategy::originForItemAtPosition(std::int64_t position) const
{
    if (m_numberOfItemsPerRow <= 0 || position < 0)
        return CGPointZero;
    const auto column = static_cast<CGFloat>(position % m_numberOfItemsPerRow);
    const auto row = static_cast<CGFloat>(position / m_numberOfItemsPerRow);
    return CGPointMake(column * stepX() + m_edgeInsets.left, row * stepY() + m_edgeInsets.top);
}

std::int64_t GridViewLayoutVerticalStrategy::itemPositionFromLocation(CGPoint location) const
{
    if (!(stepX() > 0) || !(stepY() > 0) || m_numberOfItemsPerRow <= 0)
        return -1;
    const std::int64_t column = clampToIndex(std::trunc((location.x - m_edgeInsets.left) / stepX()));
    const std::int64_t row = clampToIndex(std::trunc((location.y - m_edgeInsets.top) / stepY()));
    const std::int64_t position = column + row * m_numberOfItemsPerRow;
    if (position < 0 || position >= m_itemCount)
        return -1;
    return itemContains(position, location) ? position : -1;
}

GridPositionRange GridViewLayoutVerticalStrategy::rangeOfPositionsInBoundsFromOffset(CGPoint offset) const
{
    const CGFloat step = stepY();
    const CGFloat height = m_gridBounds.size.height;
    if (!(step > 0) || !(height > 0) || !(m_gridBounds.size.width > 0) || m_numberOfItemsPerRow <= 0)
        return {};
    const CGFloat y = std::max<CGFloat>(0, std::isnan(offset.y) ? 0 : offset.y);
    const std::int64_t firstRow = std::max<std::int64_t>(0, clampToIndex(std::trunc(y / step)) - 1);
    const std::int64_t lastRow = clampToIndex(std::ceil((y + height) / step));
    return rangeFromBounds(saturatingMultiply(firstRow, m_numberOfItemsPerRow),
                           saturatingMultiply(lastRow + 1, m_numberOfItemsPerRow));
}
