#pragma once

#include "platform/ui/NSIndexPath.h"
#include "platform/ui/UITableViewCell.h"
#include "platform/ui/UITableViewTypes.h"

#include <functional>
#include <memory>
#include <string>

// One row of a static table, described rather than shown: which table cell to make for it, how
// high it is, and two callbacks, one giving the row its content and one run when it is tapped.
//
// The configure callback runs once when the row is declared, with the description only (the
// place to set the style, height, reuse identifier or cell class), and again every time the row
// is displayed, with the table cell and its index path only (the place for texts, fonts and
// colours). It must expect the arguments that are null in each case.
//
// The callbacks may refer back to the screen that declared them, but only weakly or by plain
// pointer: the screen owns the row, so a strong reference would keep both alive for ever.
class StaticContentTableViewCell {
public:
    using ConfigureBlock =
        std::function<void(StaticContentTableViewCell* row, UITableViewCell* cell, const NSIndexPath* indexPath)>;
    using SelectionBlock = std::function<void(const NSIndexPath& indexPath)>;
    // Makes the table cell for a row: the class of cell the row shows.
    using CellFactory =
        std::function<std::shared_ptr<UITableViewCell>(UITableViewCellStyle style, const std::string& reuseIdentifier)>;

    static constexpr const char* DefaultReuseIdentifier = "DefaultCell";

    StaticContentTableViewCell(ConfigureBlock configure, SelectionBlock whenSelected);

    const std::string& reuseIdentifier() const { return m_reuseIdentifier; }
    void setReuseIdentifier(std::string identifier) { m_reuseIdentifier = std::move(identifier); }
    UITableViewCellStyle cellStyle() const { return m_cellStyle; }
    void setCellStyle(UITableViewCellStyle style) { m_cellStyle = style; }
    // UITableViewAutomaticDimension leaves the height to the table.
    double cellHeight() const { return m_cellHeight; }
    void setCellHeight(double height) { m_cellHeight = height; }

    // A null factory stands for the plain UITableViewCell.
    void setTableViewCellSubclass(CellFactory factory) { m_cellFactory = std::move(factory); }
    template<typename Cell>
    void setTableViewCellSubclass()
    {
        m_cellFactory = [](UITableViewCellStyle style, const std::string& identifier) {
            return std::make_shared<Cell>(style, identifier);
        };
    }
    // A new table cell of the row's class, style and reuse identifier.
    std::shared_ptr<UITableViewCell> makeTableViewCell() const;

    const ConfigureBlock& configureBlock() const { return m_configureBlock; }
    void setConfigureBlock(ConfigureBlock block) { m_configureBlock = std::move(block); }
    const SelectionBlock& whenSelectedBlock() const { return m_whenSelectedBlock; }
    void setWhenSelectedBlock(SelectionBlock block) { m_whenSelectedBlock = std::move(block); }

    UITableViewCellEditingStyle editingStyle() const { return m_editingStyle; }
    void setEditingStyle(UITableViewCellEditingStyle style) { m_editingStyle = style; }
    bool isEditable() const { return m_editable; }
    void setEditable(bool editable) { m_editable = editable; }
    bool isMoveable() const { return m_moveable; }
    void setMoveable(bool moveable) { m_moveable = moveable; }

private:
    std::string m_reuseIdentifier = DefaultReuseIdentifier;
    UITableViewCellStyle m_cellStyle = UITableViewCellStyle::Default;
    double m_cellHeight = UITableViewAutomaticDimension;
    CellFactory m_cellFactory;
    ConfigureBlock m_configureBlock;
    SelectionBlock m_whenSelectedBlock;
    UITableViewCellEditingStyle m_editingStyle = UITableViewCellEditingStyle::None;
    bool m_editable = false;
    bool m_moveable = false;
};

using StaticContentTableViewCellPtr = std::shared_ptr<StaticContentTableViewCell>;
