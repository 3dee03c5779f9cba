#include "kit/StaticContentTableViewSection.h"

#include "platform/foundation/Log.h"

#include <algorithm>

StaticContentTableViewSection::StaticContentTableViewSection(std::weak_ptr<UITableView> tableView)
    : m_tableView(std::move(tableView))
{
}

StaticContentTableViewCellPtr StaticContentTableViewSection::cellAtIndex(std::size_t index) const
{
    return index < m_cells.size() ? m_cells[index] : nullptr;
}

std::shared_ptr<UITableView> StaticContentTableViewSection::shownIn() const
{
    return m_indexInTable ? m_tableView.lock() : nullptr;
}

StaticContentTableViewCellPtr StaticContentTableViewSection::makeCell(ConfigureBlock configure, SelectionBlock whenSelected)
{
    auto row = std::make_shared<StaticContentTableViewCell>(std::move(configure), std::move(whenSelected));
    // A copy: the callback may replace itself on the description it is handed.
    if (auto block = row->configureBlock())
        block(row.get(), nullptr, nullptr);
    return row;
}

StaticContentTableViewCellPtr StaticContentTableViewSection::addCell(ConfigureBlock configure, SelectionBlock whenSelected)
{
    auto row = makeCell(std::move(configure), std::move(whenSelected));
    m_cells.push_back(row);
    return row;
}

StaticContentTableViewCellPtr StaticContentTableViewSection::insertCell(ConfigureBlock configure, SelectionBlock whenSelected,
                                                                        const NSIndexPath& indexPath, bool animated)
{
    if (indexPath.row < 0 || static_cast<std::size_t>(indexPath.row) > m_cells.size()) {
        NSLog("StaticContentTableViewSection: no row position %d in a section of %zu rows", indexPath.row, m_cells.size());
        return nullptr;
    }
    auto row = makeCell(std::move(configure), std::move(whenSelected));
    // The configure callback may have changed the list; the position is kept within it.
    const auto at = std::min(static_cast<std::size_t>(indexPath.row), m_cells.size());
    m_cells.insert(m_cells.begin() + static_cast<std::ptrdiff_t>(at), row);
    if (auto table = shownIn()) {
        if (animated) {
            const NSIndexPath shownAt {static_cast<int>(*m_indexInTable), static_cast<int>(at)};
            table->insertRowsAtIndexPaths({shownAt}, UITableViewRowAnimation::Automatic);
        } else {
            table->reloadData();
        }
    }
    return row;
}

bool StaticContentTableViewSection::removeCellAtIndex(std::size_t index, bool animated)
{
    if (index >= m_cells.size()) {
        NSLog("StaticContentTableViewSection: no row %zu to remove in a section of %zu rows", index, m_cells.size());
        return false;
    }
    m_cells.erase(m_cells.begin() + static_cast<std::ptrdiff_t>(index));
    if (auto table = shownIn()) {
        if (animated) {
            table->beginUpdates();
            table->deleteRowsAtIndexPaths({{static_cast<int>(*m_indexInTable), static_cast<int>(index)}},
                                          UITableViewRowAnimation::Automatic);
            table->endUpdates();
        } else {
            table->reloadData();
        }
    }
    return true;
}
