#pragma once

#include "platform/ui/NSIndexPath.h"
#include "platform/ui/UIScrollView.h"
#include "platform/ui/UITableViewCell.h"
#include "platform/ui/UITableViewDataSource.h"
#include "platform/ui/UITableViewDelegate.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class InterfaceRegistry;

// Rows in sections, one under the other, from a data source. The table learns the counts and
// heights when it reloads (on its first layout, on reloadData and after each update), and asks
// for cells only for the rows in view, each layout pass; cells that leave the view wait in a
// queue by reuse identifier for dequeueReusableCellWithIdentifier.
//
// Updates (insert and delete of rows and sections) are checked against the data source: when
// its counts do not match the change, the table logs a line and reloads everything.
class UITableView : public UIScrollView {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    static constexpr double DefaultRowHeight = 44;

    static std::shared_ptr<UITableView> create(const CGRect& frame, UITableViewStyle style = UITableViewStyle::Plain);
    explicit UITableView(const CGRect& frame = CGRectZero, UITableViewStyle style = UITableViewStyle::Plain);
    ~UITableView() override;

    UITableViewStyle style() const { return m_style; }
    // Only before the first load: interface files set the style this way.
    void setStyle(UITableViewStyle style) { m_style = style; }

    std::shared_ptr<UITableViewDataSource> dataSource() const { return m_dataSource.lock(); }
    void setDataSource(std::weak_ptr<UITableViewDataSource> dataSource);
    std::shared_ptr<UITableViewDelegate> delegate() const { return m_tableDelegate.lock(); }
    // The delegate also hears the scroll view's reports.
    void setDelegate(std::weak_ptr<UITableViewDelegate> delegate);

    double rowHeight() const { return m_rowHeight; }
    void setRowHeight(double height);
    // UITableViewAutomaticDimension: by the style and whether the section has a title.
    double sectionHeaderHeight() const { return m_sectionHeaderHeight; }
    void setSectionHeaderHeight(double height);
    double sectionFooterHeight() const { return m_sectionFooterHeight; }
    void setSectionFooterHeight(double height);
    const std::shared_ptr<UIView>& tableHeaderView() const { return m_tableHeaderView; }
    void setTableHeaderView(std::shared_ptr<UIView> view);
    const std::shared_ptr<UIView>& tableFooterView() const { return m_tableFooterView; }
    void setTableFooterView(std::shared_ptr<UIView> view);

    void reloadData();
    int numberOfSections() const { return static_cast<int>(m_sections.size()); }
    // 0 for a section that is not there.
    int numberOfRowsInSection(int section) const;

    std::shared_ptr<UITableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);
    // The cell shown for the row, or null when the row is not in view.
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const NSIndexPath& indexPath) const;
    std::vector<std::shared_ptr<UITableViewCell>> visibleCells() const;
    std::vector<NSIndexPath> indexPathsForVisibleRows() const;
    std::optional<NSIndexPath> indexPathForCell(const UITableViewCell& cell) const;
    std::optional<NSIndexPath> indexPathForRowAtPoint(CGPoint point) const;
    // In the table's content coordinates; empty for a row that is not there.
    CGRect rectForRowAtIndexPath(const NSIndexPath& indexPath) const;
    CGRect rectForHeaderInSection(int section) const;
    // The header view (the delegate's, or a label with the title), while loaded.
    std::shared_ptr<UIView> headerViewForSection(int section) const;
    std::shared_ptr<UIView> footerViewForSection(int section) const;
    void scrollToRowAtIndexPath(const NSIndexPath& indexPath, UITableViewScrollPosition position, bool animated);

    void beginUpdates();
    void endUpdates();
    void insertSections(const std::set<int>& sections, UITableViewRowAnimation animation);
    void deleteSections(const std::set<int>& sections, UITableViewRowAnimation animation);
    void insertRowsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths, UITableViewRowAnimation animation);
    void deleteRowsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths, UITableViewRowAnimation animation);
    void reloadRowsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths, UITableViewRowAnimation animation);
    // The animation of the last update, for whoever checks how the table was told.
    std::optional<UITableViewRowAnimation> lastUpdateAnimation() const { return m_lastAnimation; }

    bool allowsSelection() const { return m_allowsSelection; }
    void setAllowsSelection(bool allows) { m_allowsSelection = allows; }
    bool allowsMultipleSelection() const { return m_allowsMultipleSelection; }
    void setAllowsMultipleSelection(bool allows) { m_allowsMultipleSelection = allows; }
    bool allowsMultipleSelectionDuringEditing() const { return m_allowsMultipleSelectionDuringEditing; }
    void setAllowsMultipleSelectionDuringEditing(bool allows) { m_allowsMultipleSelectionDuringEditing = allows; }
    bool isEditing() const { return m_editing; }
    void setEditing(bool editing, bool animated = false);

    std::optional<NSIndexPath> indexPathForSelectedRow() const;
    std::vector<NSIndexPath> indexPathsForSelectedRows() const;
    // In code: tells the delegate nothing.
    void selectRowAtIndexPath(const NSIndexPath& indexPath, bool animated, UITableViewScrollPosition position);
    void deselectRowAtIndexPath(const NSIndexPath& indexPath, bool animated);

    // A tap on the row, as a finger delivers it: the delegate may redirect or refuse it in
    // tableViewWillSelectRowAtIndexPath, then hears tableViewDidSelectRowAtIndexPath. Without
    // multiple selection the rows selected before are deselected (and the delegate told).
    // False when selection is off or the row is not there.
    bool tapRowAtIndexPath(const NSIndexPath& indexPath);

    void layoutSubviews() override;

private:
    struct Section {
        double headerY = 0, headerHeight = 0, footerHeight = 0;
        std::vector<double> rowY;
        std::vector<double> rowHeights;
        std::shared_ptr<UIView> headerView, footerView;
    };
    class ScrollForwarder;

    void loadGeometry();
    void clearVisibleCells();
    void placeViews();
    void placeSubview(const std::shared_ptr<UIView>& view, const CGRect& frame);
    void recycleCellsOutside(const CGRect& visible);
    // Asks the data source for the rows of the section that have come into view.
    void showRowsOfSection(int section, const CGRect& visible, UITableViewDataSource& source,
                           UITableViewDelegate* tableDelegate);
    bool contains(const NSIndexPath& indexPath) const;
    std::shared_ptr<UIView> makeSectionView(const std::optional<std::string>& title, bool header) const;
    double automaticHeaderHeight(bool hasTitle, bool header) const;
    // Applies pending updates: checks the data source's new counts against them.
    void applyUpdates();

    UITableViewStyle m_style;
    std::weak_ptr<UITableViewDataSource> m_dataSource;
    std::weak_ptr<UITableViewDelegate> m_tableDelegate;
    std::unique_ptr<ScrollForwarder> m_forwarder;
    double m_rowHeight = DefaultRowHeight;
    double m_sectionHeaderHeight = UITableViewAutomaticDimension;
    double m_sectionFooterHeight = UITableViewAutomaticDimension;
    std::shared_ptr<UIView> m_tableHeaderView;
    std::shared_ptr<UIView> m_tableFooterView;
    std::vector<Section> m_sections;
    bool m_loaded = false;
    std::map<NSIndexPath, std::shared_ptr<UITableViewCell>> m_visible;
    std::map<std::string, std::vector<std::shared_ptr<UITableViewCell>>> m_reuseQueue;
    std::set<NSIndexPath> m_selected;
    bool m_allowsSelection = true;
    bool m_allowsMultipleSelection = false;
    bool m_allowsMultipleSelectionDuringEditing = false;
    bool m_editing = false;
    int m_updateDepth = 0;
    // Expected change of the row count per section (by old section index) and of sections.
    std::vector<int> m_oldRowCounts;
    int m_sectionDelta = 0;
    std::map<int, int> m_rowDelta;
    std::set<int> m_deletedSections;
    bool m_updatesPending = false;
    std::optional<UITableViewRowAnimation> m_lastAnimation;
};

using UITableViewPtr = std::shared_ptr<UITableView>;
