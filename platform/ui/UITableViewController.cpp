#include "platform/ui/UITableViewController.h"

#include "platform/ui/UIScreen.h"

UITableViewController::UITableViewController(UITableViewStyle style)
    : m_style(style)
{
}

std::shared_ptr<UITableView> UITableViewController::tableView()
{
    return std::dynamic_pointer_cast<UITableView>(view());
}

void UITableViewController::loadView()
{
    // A scene of an interface file may give the table; otherwise the controller makes its own.
    UIViewController::loadView();
    auto table = std::dynamic_pointer_cast<UITableView>(view());
    if (!table && view()->subviews().empty()) {
        table = UITableView::create(UIScreen::mainScreen().bounds(), m_style);
        table->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        setView(table);
    }
    auto self = std::dynamic_pointer_cast<UITableViewController>(weak_from_this().lock());
    if (!table || !self)
        return;
    if (!table->dataSource())
        table->setDataSource(std::static_pointer_cast<UITableViewDataSource>(self));
    if (!table->delegate())
        table->setDelegate(std::static_pointer_cast<UITableViewDelegate>(self));
}

void UITableViewController::viewWillAppear(bool animated)
{
    UIViewController::viewWillAppear(animated);
    auto table = isViewLoaded() ? std::dynamic_pointer_cast<UITableView>(view()) : nullptr;
    if (!table)
        return;
    if (m_clearsSelection) {
        for (const auto& p : table->indexPathsForSelectedRows())
            table->deselectRowAtIndexPath(p, animated);
    }
}
