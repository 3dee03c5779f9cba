#pragma once

#include "platform/ui/NSIndexPath.h"
#include "platform/ui/UITableViewTypes.h"

#include <memory>
#include <optional>
#include <string>

class UITableView;
class UITableViewCell;

// Where a table gets its rows. The row count and the cells are required; the rest is optional.
class UITableViewDataSource {
public:
    virtual ~UITableViewDataSource() = default;
    virtual int numberOfSectionsInTableView(UITableView&) { return 1; }
    virtual int tableViewNumberOfRowsInSection(UITableView&, int section) = 0;
    virtual std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView&, const NSIndexPath&) = 0;
    virtual std::optional<std::string> tableViewTitleForHeaderInSection(UITableView&, int) { return std::nullopt; }
    virtual std::optional<std::string> tableViewTitleForFooterInSection(UITableView&, int) { return std::nullopt; }
    virtual bool tableViewCanEditRowAtIndexPath(UITableView&, const NSIndexPath&) { return false; }
    virtual bool tableViewCanMoveRowAtIndexPath(UITableView&, const NSIndexPath&) { return false; }
    virtual void tableViewCommitEditingStyle(UITableView&, UITableViewCellEditingStyle, const NSIndexPath&) {}
};
