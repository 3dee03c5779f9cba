#include "kit/grid/GridViewLayoutStrategyBase.h"

#include <algorithm>
#include <cmath>

void GridViewLayoutStrategyBase::setupItemSize(CGSize itemSize, std::int64_t itemSpacing, UIEdgeInsets minEdgeInsets,
                                               bool centeredGrid)
{
    m_itemSize = itemSize;
    m_itemSpacing = itemSpacing;
    m_minEdgeInsets = minEdgeInsets;
    m_centeredGrid = centeredGrid;
}

void GridViewLayoutStrategyBase::storeRebase(std::int64_t itemCount, CGRect bounds)
{
    m_itemCount = std::max<std::int64_t>(0, itemCount);
    m_gridBounds = bounds;
}

UIEdgeInsets GridViewLayoutStrategyBase::edgeInsetsForAbsoluteContentSize(CGSize absoluteSize) const
{
    if (!m_centeredGrid)
        return m_minEdgeInsets;
    const CGFloat x = std::floor((m_gridBounds.size.width - absoluteSize.width) / 2);
    const CGFloat y = std::floor((m_gridBounds.size.height - absoluteSize.height) / 2);
    return UIEdgeInsetsMake(std::trunc(std::max(y, m_minEdgeInsets.top)), std::trunc(std::max(x, m_minEdgeInsets.left)),
                            std::trunc(std::max(y, m_minEdgeInsets.bottom)),
                            std::trunc(std::max(x, m_minEdgeInsets.right)));
}

void GridViewLayoutStrategyBase::setEdgeAndContentSizeFromAbsoluteContentSize(CGSize absoluteSize)
{
    m_edgeInsets = edgeInsetsForAbsoluteContentSize(absoluteSize);
    m_contentSize = CGSizeMake(absoluteSize.width + m_edgeInsets.left + m_edgeInsets.right,
                               absoluteSize.height + m_edgeInsets.top + m_edgeInsets.bottom);
}

bool GridViewLayoutStrategyBase::itemContains(std::int64_t position, CGPoint location) const
{
    const CGPoint origin = originForItemAtPosition(position);
    return CGRectContainsPoint(CGRectMake(origin.x, origin.y, m_itemSize.width, m_itemSize.height), location);
}
