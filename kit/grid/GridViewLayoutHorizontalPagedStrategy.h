#pragma once

#include "kit/grid/GridViewLayoutHorizontalStrategy.h"

// Pages as wide as the bounds, side by side, each holding a fixed block of rows and columns.
// The subclasses decide the order in which a page fills.
class GridViewLayoutHorizontalPagedStrategy : public GridViewLayoutHorizontalStrategy {
public:
    void rebaseWithItemCount(std::int64_t itemCount, CGRect bounds) override;
    CGPoint originForItemAtPosition(std::int64_t position) const override;
    std::int64_t itemPositionFromLocation(CGPoint location) const override;
    GridPositionRange rangeOfPositionsInBoundsFromOffset(CGPoint offset) const override;
    bool requiresEnablingPaging() const override { return true; }

    std::int64_t numberOfItemsPerRow() const { return m_numberOfItemsPerRow; }
    std::int64_t numberOfItemsPerPage() const { return m_numberOfItemsPerPage; }
    std::int64_t numberOfPages() const { return m_numberOfPages; }

    // The page that holds the item; 0 for negative positions.
    std::int64_t pageForItemAtIndex(std::int64_t position) const;
    CGPoint originForItemAtColumn(std::int64_t column, std::int64_t row, std::int64_t page) const;
    virtual std::int64_t positionForItemAtColumn(std::int64_t column, std::int64_t row, std::int64_t page) const;
    virtual std::int64_t columnForItemAtPosition(std::int64_t position) const;
    virtual std::int64_t rowForItemAtPosition(std::int64_t position) const;

    // Left as a plain horizontal strategy by type; only the factory's subclasses name their own.
    GridViewLayoutHorizontalPagedStrategy() : GridViewLayoutHorizontalStrategy(GridViewLayoutHorizontal) {}

protected:
    explicit GridViewLayoutHorizontalPagedStrategy(GridViewLayoutType type) : GridViewLayoutHorizontalStrategy(type) {}

    // The position within its page.
    std::int64_t positionInPage(std::int64_t position) const;

    std::int64_t m_numberOfItemsPerRow = 0;
    std::int64_t m_numberOfItemsPerPage = 0;
    std::int64_t m_numberOfPages = 0;
};
