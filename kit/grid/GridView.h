#pragma once

#include "kit/grid/GridViewActionDelegate.h"
#include "kit/grid/GridViewCell.h"
#include "kit/grid/GridViewDataSource.h"
#include "kit/grid/GridViewLayoutStrategy.h"
#include "kit/grid/GridViewSortingDelegate.h"
#include "kit/grid/GridViewTransformationDelegate.h"
#include "kit/grid/GridViewTypes.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/UILongPressGestureRecognizer.h"
#include "platform/ui/UIPanGestureRecognizer.h"
#include "platform/ui/UIPinchGestureRecognizer.h"
#include "platform/ui/UIRotationGestureRecognizer.h"
#include "platform/ui/UIScrollView.h"
#include "platform/ui/UITapGestureRecognizer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A scrolling grid of equally sized items.
//
// A data source says how many items there are, how big each is and which cell shows an item; a
// layout strategy says where each item goes and which positions lie near the visible area. Only
// those near items have cells, as subviews; cells of items that leave are parked and handed back
// to the data source for new items. Taps on items and on empty space go to the action delegate.
// Items can be inserted, removed, reloaded and swapped one at a time, dragged to a new place
// (with a sorting delegate) and pinched open into a full-size view (with a transformation
// delegate).
//
// A loaded cell carries its item's position in its tag, as position + 50; a tag below 50 means
// no position (0 while a cell is dragged, 49 while it is on its way out).
//
// Delegates and the data source are held weakly. Everything runs on the main run loop.
class GridView : public UIScrollView, public UIGestureRecognizerDelegate {
public:
    static constexpr int kTagOffset = 50;
    static constexpr int kDepartingTag = 49;
    // Positions must fit a view tag.
    static constexpr std::int64_t kMaximumItemCount = 0x7fffffff - kTagOffset;

    static std::shared_ptr<GridView> create(const CGRect& frame = CGRectZero);
    explicit GridView(const CGRect& frame = CGRectZero);
    ~GridView() override;

    // Setting the data source reloads the grid.
    std::shared_ptr<GridViewDataSource> dataSource() const { return m_dataSource.lock(); }
    void setDataSource(const std::shared_ptr<GridViewDataSource>& dataSource);
    std::shared_ptr<GridViewActionDelegate> actionDelegate() const { return m_actionDelegate.lock(); }
    void setActionDelegate(const std::shared_ptr<GridViewActionDelegate>& delegate) { m_actionDelegate = delegate; }
    std::shared_ptr<GridViewSortingDelegate> sortingDelegate() const { return m_sortingDelegate.lock(); }
    void setSortingDelegate(const std::shared_ptr<GridViewSortingDelegate>& delegate) { m_sortingDelegate = delegate; }
    std::shared_ptr<GridViewTransformationDelegate> transformDelegate() const { return m_transformDelegate.lock(); }
    void setTransformDelegate(const std::shared_ptr<GridViewTransformationDelegate>& delegate)
    {
        m_transformDelegate = delegate;
    }

    // The view that dragged and transformed items are lifted into; the grid itself by default.
    UIView& mainSuperView();
    void setMainSuperView(const std::shared_ptr<UIView>& view) { m_mainSuperView = view; }

    const std::shared_ptr<GridViewLayoutStrategy>& layoutStrategy() const { return m_layoutStrategy; }
    // None keeps the current strategy (an unknown factory type gives none).
    void setLayoutStrategy(const std::shared_ptr<GridViewLayoutStrategy>& strategy);

    std::int32_t style() const { return m_style; }
    void setStyle(std::int32_t style) { m_style = style; }
    std::int64_t itemSpacing() const { return m_itemSpacing; }
    void setItemSpacing(std::int64_t spacing);
    bool centerGrid() const { return m_centerGrid; }
    void setCenterGrid(bool centre);
    UIEdgeInsets minEdgeInsets() const { return m_minEdgeInsets; }
    void setMinEdgeInsets(UIEdgeInsets insets);
    TimeInterval minimumPressDuration() const { return m_longPressGesture->minimumPressDuration(); }
    void setMinimumPressDuration(TimeInterval duration) { m_longPressGesture->setMinimumPressDuration(duration); }
    bool showFullSizeViewWithAlphaWhenTransforming() const { return m_showFullSizeViewWithAlphaWhenTransforming; }
    void setShowFullSizeViewWithAlphaWhenTransforming(bool show) { m_showFullSizeViewWithAlphaWhenTransforming = show; }
    bool enableEditOnLongPress() const { return m_enableEditOnLongPress; }
    void setEnableEditOnLongPress(bool enable) { m_enableEditOnLongPress = enable; }
    bool disableEditOnEmptySpaceTap() const { return m_disableEditOnEmptySpaceTap; }
    void setDisableEditOnEmptySpaceTap(bool disable) { m_disableEditOnEmptySpaceTap = disable; }
    UIScrollView& scrollView() { return *this; }

    // Edit mode needs an action delegate that handles deletions, and no item being transformed.
    // setEditing tells the action delegate when the mode changed.
    bool isEditing() const { return m_editing; }
    void setEditing(bool editing);
    void setEditing(bool editing, bool animated);

    // Re-reads the count, the item size and the near cells; keeps the offset where it can.
    void reloadData();
    GridViewCellPtr dequeueReusableCell();
    // None when no parked cell has the identifier, even when others are parked.
    GridViewCellPtr dequeueReusableCellWithIdentifier(const std::string& identifier);
    // The loaded cell of the item, or none.
    GridViewCellPtr cellForItemAtIndex(std::int64_t index);

    // The data source already reflects the change when these are called.
    void insertObjectAtIndexWithAnimation(std::int64_t index, std::uint32_t animation);
    void insertObjectAtIndexAnimated(std::int64_t index, bool animated);
    void removeObjectAtIndexWithAnimation(std::int64_t index, std::uint32_t animation);
    void removeObjectAtIndexAnimated(std::int64_t index, bool animated);
    void reloadObjectAtIndexWithAnimation(std::int64_t index, std::uint32_t animation);
    void reloadObjectAtIndexAnimated(std::int64_t index, bool animated);
    void swapObjectAtIndexWithAnimation(std::int64_t index1, std::int64_t index2, std::uint32_t animation);
    void swapObjectAtIndexAnimated(std::int64_t index1, std::int64_t index2, bool animated);
    // Brings the item (with paging: its page) into view. The index is clamped to 0 ... count.
    void scrollToObjectAtIndex(std::int64_t index, std::int32_t scrollPosition, bool animated);

    void layoutSubviews() override;

    // The cells that are the grid's subviews, in subview order.
    std::vector<GridViewCellPtr> itemSubviews();
    std::int64_t numberOfItems() const { return m_numberTotalItems; }
    CGSize itemSize() const { return m_itemSize; }
    std::size_t reusableCellCount() const { return m_reusableCells.size(); }
    std::int64_t firstPositionLoaded() const { return m_firstPositionLoaded; }
    std::int64_t lastPositionLoaded() const { return m_lastPositionLoaded; }
    CGPoint minPossibleContentOffset() const { return m_minPossibleContentOffset; }
    CGPoint maxPossibleContentOffset() const { return m_maxPossibleContentOffset; }
    std::int64_t sortFuturePosition() const { return m_sortFuturePosition; }
    const GridViewCellPtr& sortMovingItem() const { return m_sortMovingItem; }
    const GridViewCellPtr& transformingItem() const { return m_transformingItem; }
    bool isInTransformingState() const { return m_transformingItem != nullptr; }
    bool isInFullSizeMode() const { return m_inFullSizeMode; }

    const std::shared_ptr<UITapGestureRecognizer>& tapGesture() const { return m_tapGesture; }
    const std::shared_ptr<UILongPressGestureRecognizer>& longPressGesture() const { return m_longPressGesture; }
    const std::shared_ptr<UIPanGestureRecognizer>& sortingPanGesture() const { return m_sortingPanGesture; }
    const std::shared_ptr<UIPinchGestureRecognizer>& pinchGesture() const { return m_pinchGesture; }
    const std::shared_ptr<UIRotationGestureRecognizer>& rotationGesture() const { return m_rotationGesture; }
    const std::shared_ptr<UIPanGestureRecognizer>& transformPanGesture() const { return m_panGesture; }

    bool gestureRecognizerShouldBegin(UIGestureRecognizer& recognizer) override;
    bool gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(UIGestureRecognizer&,
                                                                             UIGestureRecognizer&) override
    {
        return true;
    }

private:
    void commonInit();
    std::shared_ptr<GridView> self();

    // Layout.
    void layoutSubviewsWithAnimation(std::uint32_t animation);
    void recomputeSizeAnimated(bool animated);
    void relayoutItemsAnimated(bool animated);
    void relayoutAfterRotation();
    void loadRequiredItems();
    void cleanupUnseenItems();
    GridViewCellPtr newItemSubViewForPosition(std::int64_t position);
    void queueReusableCell(const GridViewCellPtr& cell);
    void setSubviewsCacheAsInvalid() { m_itemsSubviewsCacheIsValid = false; }
    CGRect rectForPoint(CGPoint point, bool paging) const;
    CGRect itemFrame(std::int64_t position) const;
    static std::int64_t positionForItemSubview(const UIView& cell);
    static int tagForPosition(std::int64_t position);
    bool isDeletable(std::int64_t position);
    bool isHeldAside(const GridViewCell* cell) const;
    // Marks a cell as leaving; the completion that removes it checks the mark is still its own.
    std::uint64_t markDeparting(const GridViewCellPtr& cell);
    bool takeDeparture(const GridViewCell* cell, std::uint64_t mark);
    void receivedMemoryWarningNotification();
    void receivedWillRotateNotification();
    UIInterfaceOrientation statusBarOrientation() const;

    // Taps.
    void tapGestureUpdated(UITapGestureRecognizer& gesture);
    bool tapMayBegin(UIGestureRecognizer& gesture);

    // Sorting.
    void longPressGestureUpdated(UILongPressGestureRecognizer& gesture);
    void sortingPanGestureUpdated(UIPanGestureRecognizer& gesture);
    void sortingAutoScrollMovementCheck();
    void sortingMoveDidStartAtPoint(CGPoint point);
    void sortingMoveDidContinueToPoint(CGPoint point);
    void sortingMoveDidStopAtPoint(CGPoint point);
    void finishSortingMove(const GridViewCellPtr& cell);

    // Transforming.
    void pinchGestureUpdated(UIPinchGestureRecognizer& gesture);
    void rotationGestureUpdated(UIRotationGestureRecognizer& gesture);
    void panGestureUpdated(UIPanGestureRecognizer& gesture);
    void transformingGestureDidBeginWithGesture(UIGestureRecognizer& gesture);
    void scheduleTransformFinish();
    void transformingGestureDidFinish();
    void enterFullSize(const GridViewCellPtr& cell);
    // The end of a transformed item's flight back: it lands in its place when it is still the
    // item returning and still lifted where it was left, else it is put away for reuse.
    void returnFromTransformDidFinish(const GridViewCellPtr& returning, const UIViewPtr& liftedInto);
    void moveTransformRecognizersTo(UIView& view);

    std::shared_ptr<UIPanGestureRecognizer> m_sortingPanGesture;
    std::shared_ptr<UILongPressGestureRecognizer> m_longPressGesture;
    std::shared_ptr<UIPinchGestureRecognizer> m_pinchGesture;
    std::shared_ptr<UITapGestureRecognizer> m_tapGesture;
    std::shared_ptr<UIRotationGestureRecognizer> m_rotationGesture;
    std::shared_ptr<UIPanGestureRecognizer> m_panGesture;

    std::int64_t m_numberTotalItems = 0;
    CGSize m_itemSize {};
    std::vector<GridViewCellPtr> m_reusableCells;

    GridViewCellPtr m_sortMovingItem;
    std::int64_t m_sortFuturePosition = -1;
    bool m_sortSettling = false;
    bool m_autoScrollActive = false;
    RunLoop::Id m_autoScrollRetry = 0;
    CGPoint m_minPossibleContentOffset {};
    CGPoint m_maxPossibleContentOffset {};

    GridViewCellPtr m_transformingItem;
    // A transformed item on its way back into the grid.
    GridViewCellPtr m_returningItem;
    double m_lastRotation = 0;
    double m_lastScale = 1.0;
    bool m_inFullSizeMode = false;
    bool m_inTransformingState = false;
    RunLoop::Id m_transformFinish = 0;
    bool m_rotationActive = false;

    bool m_centerGrid = true;
    bool m_showFullSizeViewWithAlphaWhenTransforming = true;
    bool m_editing = false;
    bool m_enableEditOnLongPress = false;
    bool m_disableEditOnEmptySpaceTap = false;
    bool m_itemsSubviewsCacheIsValid = false;
    std::int32_t m_style = GridViewStyleExchange;

    std::weak_ptr<GridViewSortingDelegate> m_sortingDelegate;
    std::weak_ptr<GridViewDataSource> m_dataSource;
    std::weak_ptr<GridViewTransformationDelegate> m_transformDelegate;
    std::weak_ptr<GridViewActionDelegate> m_actionDelegate;
    std::weak_ptr<UIView> m_mainSuperView;

    std::shared_ptr<GridViewLayoutStrategy> m_layoutStrategy;
    std::int64_t m_itemSpacing = 10;
    std::vector<GridViewCellPtr> m_itemSubviewsCache;
    std::mutex m_itemSubviewsLock;
    std::int64_t m_firstPositionLoaded = 0;
    std::int64_t m_lastPositionLoaded = 0;
    UIEdgeInsets m_minEdgeInsets {5, 5, 5, 5};

    std::map<const GridViewCell*, std::uint64_t> m_departures;
    std::uint64_t m_nextDeparture = 1;

    NotificationCenter::Token m_memoryWarningObserver;
    NotificationCenter::Token m_rotationObserver;
};

using GridViewPtr = std::shared_ptr<GridView>;
