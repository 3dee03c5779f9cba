#include "kit/StaticContentTableViewCell.h"

#include "platform/foundation/Log.h"

StaticContentTableViewCell::StaticContentTableViewCell(ConfigureBlock configure, SelectionBlock whenSelected)
    : m_configureBlock(std::move(configure))
    , m_whenSelectedBlock(std::move(whenSelected))
{
}

std::shared_ptr<UITableViewCell> StaticContentTableViewCell::makeTableViewCell() const
{
    if (m_cellFactory) {
        if (auto cell = m_cellFactory(m_cellStyle, m_reuseIdentifier))
            return cell;
        // The row is still shown, plainly, rather than leaving the table without a cell.
        NSLog("StaticContentTableViewCell: the cell class made no cell for \"%s\"; using a plain one",
              m_reuseIdentifier.c_str());
    }
    return UITableViewCell::create(m_cellStyle, m_reuseIdentifier);
}
