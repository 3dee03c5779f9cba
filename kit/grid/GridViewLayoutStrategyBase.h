#pragma once

#include "kit/grid/GridViewLayoutStrategy.h"

// What every strategy stores: its inputs, the margins in use and the content size.
class GridViewLayoutStrategyBase : public GridViewLayoutStrategy {
public:
    GridViewLayoutType type() const override { return m_type; }
    void setupItemSize(CGSize itemSize, std::int64_t itemSpacing, UIEdgeInsets minEdgeInsets,
                       bool centeredGrid) override;
    CGSize contentSize() const override { return m_contentSize; }

    CGSize itemSize() const { return m_itemSize; }
    std::int64_t itemSpacing() const { return m_itemSpacing; }
    UIEdgeInsets minEdgeInsets() const { return m_minEdgeInsets; }
    bool centeredGrid() const { return m_centeredGrid; }
    std::int64_t itemCount() const { return m_itemCount; }
    UIEdgeInsets edgeInsets() const { return m_edgeInsets; }
    CGRect gridBounds() const { return m_gridBounds; }

    // Margins and content size around a measured block of items: the minimum margins, or with
    // centring the block centred in the bounds (but never closer to an edge than its minimum).
    void setEdgeAndContentSizeFromAbsoluteContentSize(CGSize absoluteSize);

protected:
    explicit GridViewLayoutStrategyBase(GridViewLayoutType type) : m_type(type) {}

    // The spacing as the formulas use it.
    CGFloat spacing() const { return static_cast<CGFloat>(m_itemSpacing); }
    CGFloat stepX() const { return m_itemSize.width + spacing(); }
    CGFloat stepY() const { return m_itemSize.height + spacing(); }
    // Stores the inputs of a rebase; a negative count counts as none.
    void storeRebase(std::int64_t itemCount, CGRect bounds);
    // Margins only, from a measured block (used by the paged strategies, which size their
    // content by pages instead).
    UIEdgeInsets edgeInsetsForAbsoluteContentSize(CGSize absoluteSize) const;
    // Whether the rectangle of the item at position contains location.
    bool itemContains(std::int64_t position, CGPoint location) const;

    GridViewLayoutType m_type;
    CGSize m_itemSize {};
    std::int64_t m_itemSpacing = 0;
    UIEdgeInsets m_minEdgeInsets {};
    bool m_centeredGrid = false;
    std::int64_t m_itemCount = 0;
    UIEdgeInsets m_edgeInsets {};
    CGRect m_gridBounds {};
    CGSize m_contentSize {};
};
