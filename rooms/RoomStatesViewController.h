#pragma once

#include "kit/grid/GridViewActionDelegate.h"
#include "kit/grid/GridViewDataSource.h"
#include "platform/ui/UIAlertViewDelegate.h"
#include "platform/ui/UIPopoverControllerDelegate.h"
#include "platform/ui/UIViewController.h"
#include "rooms/RoomInfoViewControllerDelegate.h"
#include "rooms/ScannerSession.h"
#include "scan/ScanResultDelegate.h"
#include "session/SocketDataHandleDelegate.h"
#include "session/records/RoomStatesObject.h"

#include <memory>
#include <string>
#include <vector>

class GridView;
class GridViewCell;
class NSTimer;
class ProgressHUD;
class RoomStateCell;
class ShadowLabel;
class UIImageView;
class UIPopoverController;
class UIScrollView;
class UISegmentedControl;

// The room floor: the venue's rooms as coloured tiles on a paged 5 by 5 grid, refreshed page by
// page every 1.5 seconds while the floor is in front, with the eight state counters, a filter
// strip of regions, and a room's details in a popover.
class RoomStatesViewController : public UIViewController,
                                 public SocketDataHandleDelegate,
                                 public GridViewDataSource,
                                 public GridViewActionDelegate,
                                 public UIPopoverControllerDelegate,
                                 public UIAlertViewDelegate,
                                 public RoomInfoViewControllerDelegate,
                                 public ScanResultDelegate {
public:
    static constexpr double RefreshInterval = 1.5;
    static constexpr int RoomsPerPage = 25;
    static constexpr int RoomGridTag = 0;
    static constexpr int FilterGridTag = 1;
    // An alert with this tag binds the device to the tapped room (command 90); nothing opens one.
    static constexpr int BindRoomAlertTag = 90;

    // Outlets.
    void setRoomStatesScrollView(std::shared_ptr<UIScrollView> view) { m_roomStatesScrollView = view; }
    void setRoomTypesScrollView(std::shared_ptr<UIScrollView> view) { m_roomTypesScrollView = view; }
    void setSegment(std::shared_ptr<UISegmentedControl> segment) { m_segment = segment; }
    void setSegmentBGImageView(std::shared_ptr<UIImageView> view) { m_segmentBGImageView = view; }
    void setLblClerkName(std::shared_ptr<ShadowLabel> label) { m_lblClerkName = label; }

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    void viewDidUnload() override;
    unsigned supportedInterfaceOrientations() const override;

    void refrushCurPage();
    void refrushAllPage();
    void reloadTimer();
    // The page the room grid rests on, from 1.
    int currentPage() const;

    // Replies.
    void socketDataHandleDidRoomStates() override;
    void socketDataHandleDidRoomStateAndInfo(const std::shared_ptr<RoomStateAndInfo>& info) override;
    void socketDataHandleGetCmdResult(bool success, const std::string& message) override;

    // The bottle actions: the staff password's clerk, the room's bill, the guest's code or
    // pending request, the guest, then the store-wine screen or the bar's answer.
    void socketDataHandleDidGetClerkInfo(const ResultDictionary& info) override;
    void socketDataHandleDidGetMaster(const ResultDictionary& master) override;
    void socketDataHandleDidGetWxRequestStore(const ResultDictionary& request) override;
    void socketDataHandleDidGetStoreWineMain(const ResultDictionary& guest) override;
    void socketDataHandleDidScanResumeWine(bool success, const std::string& errorMsg) override;
    void getStoreWineMainByOpenid();
    // The text of the first code the scanner read.
    void scanResult(const std::string& text) override;

    // Grids.
    std::int64_t numberOfItemsInGridView(GridView& grid) override;
    CGSize GridViewSizeForItemsInInterfaceOrientation(GridView& grid, UIInterfaceOrientation orientation) override;
    std::shared_ptr<GridViewCell> GridViewCellForItemAtIndex(GridView& grid, std::int64_t index) override;
    std::optional<bool> GridViewCanDeleteItemAtIndex(GridView&, std::int64_t) override { return false; }
    void GridViewDidTapOnItemAtIndex(GridView& grid, std::int64_t index) override;

    // The popover and what it asks for.
    void popoverControllerDidDismissPopover(UIPopoverController& popover) override;
    void disMiss() override;
    void showOrderViewController() override;
    void showVipCardFreeViewController() override;
    void showBillViewController() override;
    void alertViewClickedButtonAtIndex(UIAlertView& alert, int buttonIndex) override;

    // What tests and the demo look at.
    const std::shared_ptr<GridView>& roomGrid() const { return m_gridView; }
    const std::shared_ptr<GridView>& filterGrid() const { return m_gridViewRoomTypes; }
    const std::shared_ptr<UISegmentedControl>& segment() const { return m_segment; }
    const std::shared_ptr<UIPopoverController>& popover() const { return m_popover; }
    const std::shared_ptr<NSTimer>& timer() const { return m_timer; }
    const std::shared_ptr<ProgressHUD>& HUD() const { return m_HUD; }
    const std::string& roomRegionID() const { return m_roomRegionID; }
    int lastRefreshedPage() const { return m_lastRefreshedPage; }
    // The scanner the bottle chain opened.
    const ScannerSession& wineScanner() const { return m_wineScanner; }
    const std::string& roomTypeID() const { return m_roomTypeID; }

private:
    void takeReplies(const char* from);
    void updateData(bool wholeList);
    std::shared_ptr<GridView> makeGrid(const std::shared_ptr<UIScrollView>& container, int tag);
    void fillRoomTile(RoomStateCell& tile, const RoomStatesObject& room);
    // Leaves the popover and presents a scene of the ordering storyboard.
    void presentFoodOrderScene(const std::string& identifier);

    std::shared_ptr<UIScrollView> m_roomStatesScrollView;
    std::shared_ptr<UIScrollView> m_roomTypesScrollView;
    std::shared_ptr<UISegmentedControl> m_segment;
    std::shared_ptr<UIImageView> m_segmentBGImageView;
    std::shared_ptr<ShadowLabel> m_lblClerkName;

    std::shared_ptr<GridView> m_gridView;
    std::shared_ptr<GridView> m_gridViewRoomTypes;
    std::shared_ptr<ProgressHUD> m_HUD;
    std::shared_ptr<NSTimer> m_timer;
    std::string m_roomTypeID;
    std::string m_roomRegionID;
    std::int64_t m_selectedIndex = -1;
    std::shared_ptr<RoomStatesObject> m_tmpRoomObj;
    std::shared_ptr<UIPopoverController> m_popover;
    std::shared_ptr<UIViewController> m_detailsAwaitingPassword;
    int m_lastRefreshedPage = 1;
    bool m_goScanStoreWinePage = false;
    ScannerSession m_wineScanner;
};
