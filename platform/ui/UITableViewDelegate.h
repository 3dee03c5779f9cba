#pragma once

#include "platform/ui/NSIndexPath.h"
#include "platform/ui/UIScrollViewDelegate.h"
#include "platform/ui/UITableViewTypes.h"

#include <memory>
#include <optional>

class UITableView;
class UITableViewCell;
class UIView;

// What a table asks about the look of its rows and tells about selection; every method is
// optional. A height of UITableViewAutomaticDimension leaves the height to the table.
class UITableViewDelegate : public UIScrollViewDelegate {
public:
    virtual double tableViewHeightForRowAtIndexPath(UITableView&, const NSIndexPath&) { return UITableViewAutomaticDimension; }
    virtual double tableViewHeightForHeaderInSection(UITableView&, int) { return UITableViewAutomaticDimension; }
    virtual double tableViewHeightForFooterInSection(UITableView&, int) { return UITableViewAutomaticDimension; }
    // A header or footer view of the delegate's own, in place of the title.
    virtual std::shared_ptr<UIView> tableViewViewForHeaderInSection(UITableView&, int) { return nullptr; }
    virtual std::shared_ptr<UIView> tableViewViewForFooterInSection(UITableView&, int) { return nullptr; }
    virtual void tableViewWillDisplayCell(UITableView&, UITableViewCell&, const NSIndexPath&) {}
    // The row to select instead, or nothing to select none.
    virtual std::optional<NSIndexPath> tableViewWillSelectRowAtIndexPath(UITableView&, const NSIndexPath& indexPath)
    {
        return indexPath;
    }
    virtual void tableViewDidSelectRowAtIndexPath(UITableView&, const NSIndexPath&) {}
    virtual void tableViewDidDeselectRowAtIndexPath(UITableView&, const NSIndexPath&) {}
    virtual UITableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(UITableView&, const NSIndexPath&)
    {
        return UITableViewCellEditingStyle::None;
    }
};
