#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewTypes.h"

#include <cstdint>
#include <memory>

class GridView;
class GridViewCell;

// Supplies the full-size view of an item pinched open, and hears the transform's progress.
class GridViewTransformationDelegate {
public:
    virtual ~GridViewTransformationDelegate() = default;

    virtual CGSize GridViewSizeInFullSizeForCell(GridView& grid, GridViewCell& cell, std::int64_t index,
                                                 UIInterfaceOrientation orientation) = 0;
    virtual UIViewPtr GridViewFullSizeViewForCell(GridView& grid, GridViewCell& cell, std::int64_t index) = 0;
    virtual void GridViewDidStartTransformingCell(GridView&, GridViewCell&) {}
    virtual void GridViewDidEnterFullSizeForCell(GridView&, GridViewCell&) {}
    virtual void GridViewDidEndTransformingCell(GridView&, GridViewCell&) {}
};
