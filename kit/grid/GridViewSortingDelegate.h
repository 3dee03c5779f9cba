#pragma once

#include <cstdint>
#include <optional>

class GridView;
class GridViewCell;

// Hears an item being dragged to a new place, so that it can reorder its data.
class GridViewSortingDelegate {
public:
    virtual ~GridViewSortingDelegate() = default;

    virtual void GridViewDidStartMovingCell(GridView&, GridViewCell&) {}
    virtual void GridViewDidEndMovingCell(GridView&, GridViewCell&) {}
    // No answer lets the cell wobble while it moves.
    virtual std::optional<bool> GridViewShouldAllowShakingBehaviorWhenMovingCell(GridView&, GridViewCell&, std::int64_t)
    {
        return std::nullopt;
    }
    // Sent in the move style: the items between shifted by one.
    virtual void GridViewMoveItemAtIndex(GridView&, std::int64_t /*from*/, std::int64_t /*to*/) {}
    // Sent in the exchange style: the two items changed places.
    virtual void GridViewExchangeItemAtIndex(GridView&, std::int64_t, std::int64_t) {}
};
