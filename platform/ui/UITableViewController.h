#pragma once

#include "platform/ui/UITableView.h"
#include "platform/ui/UIViewController.h"

#include <memory>

// A controller whose view is a table, with itself as the table's data source and delegate.
// Its own answers describe an empty table; subclasses give theirs.
class UITableViewController : public UIViewController, public UITableViewDataSource, public UITableViewDelegate {
public:
    explicit UITableViewController(UITableViewStyle style = UITableViewStyle::Plain);

    UITableViewStyle tableViewStyle() const { return m_style; }
    // The view, loaded on first use; null only when an interface file gave a view that is not a table.
    std::shared_ptr<UITableView> tableView();

    // On by default: the selection is cleared each time the screen is about to appear.
    bool clearsSelectionOnViewWillAppear() const { return m_clearsSelection; }
    void setClearsSelectionOnViewWillAppear(bool clears) { m_clearsSelection = clears; }

    void loadView() override;
    void viewWillAppear(bool animated) override;

    int tableViewNumberOfRowsInSection(UITableView&, int) override { return 0; }
    std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView&, const NSIndexPath&) override
    {
        return nullptr;
    }

private:
    UITableViewStyle m_style;
    bool m_clearsSelection = true;
};

using UITableViewControllerPtr = std::shared_ptr<UITableViewController>;
