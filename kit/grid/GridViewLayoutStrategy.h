#pragma once

#include "kit/grid/GridPositionRange.h"
#include "kit/grid/GridViewLayoutType.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIEdgeInsets.h"

#include <cstdint>

// The exchangeable geometry of a grid view. The grid calls setupItemSize and rebaseWithItemCount
// on every size computation, then reads contentSize; it places cells with originForItemAtPosition,
// maps touches with itemPositionFromLocation and decides what to load with
// rangeOfPositionsInBoundsFromOffset. Positions are item indexes; -1 means no position.
class GridViewLayoutStrategy {
public:
    virtual ~GridViewLayoutStrategy() = default;

    virtual GridViewLayoutType type() const = 0;
    virtual void setupItemSize(CGSize itemSize, std::int64_t itemSpacing, UIEdgeInsets minEdgeInsets,
                               bool centeredGrid) = 0;
    virtual void rebaseWithItemCount(std::int64_t itemCount, CGRect bounds) = 0;
    virtual CGSize contentSize() const = 0;
    // The item's top-left corner in content coordinates.
    virtual CGPoint originForItemAtPosition(std::int64_t position) const = 0;
    // The item under a point in content coordinates, or -1 for spacing, margins and empty places.
    virtual std::int64_t itemPositionFromLocation(CGPoint location) const = 0;
    // The positions that should have cells at a content offset; may reach past the last item.
    virtual GridPositionRange rangeOfPositionsInBoundsFromOffset(CGPoint offset) const = 0;
    // Whether the scroll view should page by its own width.
    virtual bool requiresEnablingPaging() const = 0;
};
