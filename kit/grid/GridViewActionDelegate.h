#pragma once

#include <cstdint>

class GridView;

// Hears taps, delete requests and edit-mode changes.
class GridViewActionDelegate {
public:
    virtual ~GridViewActionDelegate() = default;

    virtual void GridViewDidTapOnItemAtIndex(GridView& grid, std::int64_t index) = 0;
    virtual void GridViewDidTapOnEmptySpace(GridView&) {}
    // A delete button was pressed: the delegate updates its data and removes the item from the
    // grid. Only a delegate that handles deletions (and says so below) lets the grid enter edit
    // mode or hears of delete buttons.
    virtual void GridViewProcessDeleteActionForItemAtIndex(GridView&, std::int64_t) {}
    virtual bool handlesDeleteActions() const { return false; }
    virtual void GridViewChangedEdit(GridView&, bool /*editing*/) {}
};
