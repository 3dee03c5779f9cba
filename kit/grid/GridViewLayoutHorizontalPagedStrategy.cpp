#include "kit/grid/GridViewLayoutHorizontalPagedStrategy.h"

#include "kit/grid/GridLayoutMath.h"

#include <algorithm>
#include <cmath>

using namespace GridLayoutMath;

void GridViewLayoutHorizontalPagedStrategy::rebaseWithItemCount(std::int64_t itemCount, CGRect bounds)
{
    GridViewLayoutHorizontalStrategy::rebaseWithItemCount(itemCount, bounds);
    const CGFloat usableWidth = std::trunc(bounds.size.width - m_minEdgeInsets.right - m_minEdgeInsets.left);
    m_numberOfItemsPerRow = itemsThatFit(usableWidth, m_itemSize.width, spacing());
    m_numberOfItemsPerPage = m_numberOfItemsPerRow * m_numberOfItemsPerColumn;
    m_numberOfPages = ceilDivide(m_itemCount, m_numberOfItemsPerPage);
    const CGSize page = CGSizeMake(static_cast<CGFloat>(m_numberOfItemsPerRow) * stepX() - spacing(),
                                   static_cast<CGFloat>(m_numberOfItemsPerColumn) * stepY() - spacing());
    m_edgeInsets = edgeInsetsForAbsoluteContentSize(page);
    m_contentSize = CGSizeMake(bounds.size.width * static_cast<CGFloat>(m_numberOfPages), bounds.size.height);
}

std::int64_t GridViewLayoutHorizontalPagedStrategy::pageForItemAtIndex(std::int64_t position) const
{
    if (position <= 0 || m_numberOfItemsPerPage <= 0)
        return 0;
    return position / m_numberOfItemsPerPage;
}

std::int64_t GridViewLayoutHorizontalPagedStrategy::positionInPage(std::int64_t position) const
{
    return m_numberOfItemsPerPage > 0 ? position % m_numberOfItemsPerPage : 0;
}

CGPoint GridViewLayoutHorizontalPagedStrategy::originForItemAtColumn(std::int64_t column, std::int64_t row,
                                                                     std::int64_t page) const
{
    return CGPointMake(static_cast<CGFloat>(column) * stepX() + m_edgeInsets.left
                           + static_cast<CGFloat>(page) * m_gridBounds.size.width,
                       static_cast<CGFloat>(row) * stepY() + m_edgeInsets.top);
}

std::int64_t GridViewLayoutHorizontalPagedStrategy::positionForItemAtColumn(std::int64_t column, std::int64_t row,
                                                                            std::int64_t page) const
{
    if (column < 0 || row < 0 || page < 0)
        return -1;
    return saturatingAdd(saturatingAdd(column, saturatingMultiply(row, m_numberOfItemsPerRow)),
                         saturatingMultiply(page, m_numberOfItemsPerPage));
}

std::int64_t GridViewLayoutHorizontalPagedStrategy::columnForItemAtPosition(std::int64_t position) const
{
    return m_numberOfItemsPerRow > 0 ? positionInPage(position) % m_numberOfItemsPerRow : 0;
}

std::int64_t GridViewLayoutHorizontalPagedStrategy::rowForItemAtPosition(std::int64_t position) const
{
    return m_numberOfItemsPerRow > 0 ? positionInPage(position) / m_numberOfItemsPerRow : 0;
}

CGPoint GridViewLayoutHorizontalPagedStrategy::originForItemAtPosition(std::int64_t position) const
{
    if (m_numberOfItemsPerPage <= 0)
        return CGPointZero;
    return originForItemAtColumn(columnForItemAtPosition(position), rowForItemAtPosition(position),
                                 pageForItemAtIndex(position));
}

std::int64_t GridViewLayoutHorizontalPagedStrategy::itemPositionFromLocation(CGPoint location) const
{
    if (!(stepX() > 0) || !(stepY() > 0) || m_numberOfItemsPerPage <= 0 || std::isnan(location.x))
        return -1;
    // The first page whose right edge is at or beyond the point; a point on an edge stays left.
    const CGFloat width = m_gridBounds.size.width;
    std::int64_t page = 0;
    if (width > 0 && location.x > width) {
        page = std::max<std::int64_t>(0, clampToIndex(std::ceil(location.x / width)) - 1);
        if (page > 0 && static_cast<CGFloat>(page) * width >= location.x)
            --page;
        else if (page < kIndexLimit && static_cast<CGFloat>(page + 1) * width < location.x)
            ++page;
    }
    const CGPoint pageOrigin = originForItemAtColumn(0, 0, page);
    const std::int64_t column = clampToIndex(std::trunc((location.x - pageOrigin.x) / stepX()));
    const std::int64_t row = clampToIndex(std::trunc((location.y - pageOrigin.y) / stepY()));
    const std::int64_t position = positionForItemAtColumn(column, row, page);
    if (position < 0 || position >= m_itemCount)
        return -1;
    return itemContains(position, location) ? position : -1;
}

GridPositionRange GridViewLayoutHorizontalPagedStrategy::rangeOfPositionsInBoundsFromOffset(CGPoint offset) const
{
    const CGFloat width = m_gridBounds.size.width;
    if (!(width > 0) || !(m_gridBounds.size.height > 0) || m_numberOfItemsPerPage <= 0)
        return {};
    const CGFloat x = std::max<CGFloat>(0, std::isnan(offset.x) ? 0 : offset.x);
    const std::int64_t page = clampToIndex(std::floor(x / width));
    const std::int64_t start = saturatingMultiply(std::max<std::int64_t>(0, page - 1), m_numberOfItemsPerPage);
    const std::int64_t end = std::min(saturatingAdd(start, saturatingMultiply(3, m_numberOfItemsPerPage)), m_itemCount);
    return {start, std::max<std::int64_t>(0, end - start)};
}
