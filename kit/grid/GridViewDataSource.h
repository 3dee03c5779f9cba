#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/ui/UIViewTypes.h"

#include <cstdint>
#include <memory>
#include <optional>

class GridView;
class GridViewCell;

// Supplies a grid's items.
class GridViewDataSource {
public:
    virtual ~GridViewDataSource() = default;

    virtual std::int64_t numberOfItemsInGridView(GridView& grid) = 0;
    virtual CGSize GridViewSizeForItemsInInterfaceOrientation(GridView& grid, UIInterfaceOrientation orientation) = 0;
    // Normally a cell from the grid's reuse queue, configured for the item. None leaves the
    // item's place empty.
    virtual std::shared_ptr<GridViewCell> GridViewCellForItemAtIndex(GridView& grid, std::int64_t index) = 0;
    // Whether the item shows a delete button while editing; no answer counts as yes.
    virtual std::optional<bool> GridViewCanDeleteItemAtIndex(GridView&, std::int64_t) { return std::nullopt; }
};
