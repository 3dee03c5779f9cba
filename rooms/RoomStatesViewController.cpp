#include "rooms/RoomStatesViewController.h"

#include "kit/ProgressHUD.h"
#include "kit/ShadowLabel.h"
#include "kit/StatusBarNotification.h"
#include "kit/UIAlertViewQN.h"
#include "kit/grid/GridView.h"
#include "kit/grid/GridViewLayoutStrategyFactory.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/NumberValue.h"
#include "platform/ui/UIAlertView.h"
#include "platform/ui/UIDevice.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UIPopoverController.h"
#include "platform/ui/UIScrollView.h"
#include "platform/ui/UISegmentedControl.h"
#include "platform/ui/UIStoryboard.h"
#include "platform/ui/UITextField.h"
#include "rooms/RoomInfoViewController.h"
#include "rooms/RoomStateCell.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"

#include <cmath>

namespace {

// The popover's height by the room's display state; 250 points wide.
double popoverHeight(std::int64_t state)
{
    switch (state) {
    case RoomDisplayBooked:
        return 590;
    case RoomDisplayOpen:
        return 540;
    case RoomDisplaySettling:
        return 260;
    case RoomDisplayCleaning:
        return 270;
    case RoomDisplayOutOfOrder:
        return 180;
    default:
        return 330;
    }
}

} // namespace

void RoomStatesViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    auto& session = DataCenter::sharedInstance();
    session.noLoginOnlyCheckPW = session.BoundType == "0" && session.LoginMode == "1";
    m_roomTypeID.clear();
    m_roomRegionID.clear();
    takeReplies("viewDidLoad");

    if (floatValue(UIDevice::currentDevice().systemVersion()) >= 7.0f) {
        if (m_segment)
            m_segment->setTitleTextAttributes({UIColor::whiteColor(), UIColor::whiteColor()}, UIControlStateNormal);
        if (m_segmentBGImageView)
            m_segmentBGImageView->setFrame(CGRectMake(7, 21, 1012, 53));
    }
    if (m_lblClerkName)
        m_lblClerkName->setText(session.clerkName);

    m_gridView = makeGrid(m_roomStatesScrollView, RoomGridTag);
    m_gridViewRoomTypes = makeGrid(m_roomTypesScrollView, FilterGridTag);
    updateData(true);

    m_HUD = ProgressHUD::createWithView(view());
    view()->addSubview(m_HUD);
    m_HUD->setLabelText(std::string("数据加载中..."));
    m_HUD->show(true);
}

std::shared_ptr<GridView> RoomStatesViewController::makeGrid(const std::shared_ptr<UIScrollView>& container, int tag)
{
    auto grid = GridView::create(container ? container->bounds() : view()->bounds());
    grid->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    grid->setBackgroundColor(UIColor::clearColor());
    grid->setTag(tag);
    (container ? container : view())->addSubview(grid);
    grid->setLayoutStrategy(GridViewLayoutStrategyFactory::strategyFromType(2));
    grid->setStyle(1);
    grid->setShowFullSizeViewWithAlphaWhenTransforming(false);
    grid->setItemSpacing(2);
    grid->setMinEdgeInsets(UIEdgeInsetsMake(2, 2, 2, 2));
    grid->setCenterGrid(true);
    auto self = shared_from_this();
    grid->setActionDelegate(std::dynamic_pointer_cast<GridViewActionDelegate>(self));
    grid->setDataSource(std::dynamic_pointer_cast<GridViewDataSource>(self));
    grid->setShowsHorizontalScrollIndicator(false);
    return grid;
}

void RoomStatesViewController::viewDidAppear(bool animated)
{
    UIViewController::viewDidAppear(animated);
    takeReplies("viewDidAppear");
    refrushCurPage();
    reloadTimer();
    if (m_goScanStoreWinePage) {
        m_goScanStoreWinePage = false;
        getStoreWineMainByOpenid();
    }
    auto strip = StatusBarNotification::sharedInstance();
    strip->setClerkStr("操作人：" + DataCenter::sharedInstance().clerkName);
    StatusBarNotification::showCustomStatus();
}

void RoomStatesViewController::viewDidDisappear(bool animated)
{
    UIViewController::viewDidDisappear(animated);
    if (m_timer)
        m_timer->invalidate();
    m_timer.reset();
}

void RoomStatesViewController::viewDidUnload()
{
    m_roomStatesScrollView.reset();
    m_roomTypesScrollView.reset();
    m_segment.reset();
    m_lblClerkName.reset();
    UIViewController::viewDidUnload();
}

void RoomStatesViewController::alertViewClickedButtonAtIndex(UIAlertView& alert, int buttonIndex)
{
    if (buttonIndex != 0 || alert.tag() != BindRoomAlertTag)
        return;
    // Binding needs what the alert asked for and the room it is for; without either the server
    // would bind the device to nothing.
    const auto field = alert.textFieldAtIndex(0);
    if (!field || !m_tmpRoomObj) {
        NSLog("binding not sent: the alert has no text field or no room was tapped");
        return;
    }
    ServerNetworkCenter::sharedInstance().sentMsg(
        VenueCommand::BindHall, {DataCenter::sharedInstance().UDID, field->text(), "1", m_tmpRoomObj->RoomNo});
}

unsigned RoomStatesViewController::supportedInterfaceOrientations() const
{
    return UIInterfaceOrientationMaskLandscape;
}

void RoomStatesViewController::takeReplies(const char* from)
{
    SocketDataHandle::sharedInstance().setDelegate(std::dynamic_pointer_cast<SocketDataHandleDelegate>(shared_from_this()));
    NSLog("setDelegate RoomStatesViewController-%s", from);
}

// One refresh timer at most: the one stored before is stopped, not merely forgotten.
void RoomStatesViewController::reloadTimer()
{
    if (m_timer)
        m_timer->invalidate();
    std::weak_ptr<RoomStatesViewController> weak =
        std::static_pointer_cast<RoomStatesViewController>(shared_from_this());
    m_timer = NSTimer::scheduledTimerWithTimeInterval(RefreshInterval, true, [weak](NSTimer&) {
        if (auto floor = weak.lock())
            floor->updateData(false);
    });
}

void RoomStatesViewController::updateData(bool wholeList)
{
    if (wholeList)
        refrushAllPage();
    else
        refrushCurPage();
}

int RoomStatesViewController::currentPage() const
{
    if (!m_gridView)
        return 1;
    const double width = m_gridView->bounds().size.width;
    if (!(width > 0))
        return 1;
    const double page = std::trunc(m_gridView->contentOffset().x / width + 1);
    if (!std::isfinite(page) || page < 1)
        return 1;
    return page > 1e6 ? 1000000 : static_cast<int>(page);
}

void RoomStatesViewController::refrushCurPage()
{
    const auto& session = DataCenter::sharedInstance();
    m_lastRefreshedPage = currentPage();
    ServerNetworkCenter::sharedInstance().sentMsg(
        VenueCommand::RoomFloor, {session.ShowType, std::to_string(RoomsPerPage), std::to_string(m_lastRefreshedPage), session.clerkNo,
              m_roomTypeID, m_roomRegionID});
}

void RoomStatesViewController::refrushAllPage()
{
    const auto& session = DataCenter::sharedInstance();
    ServerNetworkCenter::sharedInstance().sentMsg(VenueCommand::RoomFloor,
                                                  {session.ShowType, "0", "1", session.clerkNo, m_roomTypeID, m_roomRegionID});
}

void RoomStatesViewController::socketDataHandleDidRoomStates()
{
    if (m_gridView)
        m_gridView->reloadData();
    const auto& handle = SocketDataHandle::sharedInstance();
    const std::pair<const char*, const std::string*> titles[] = {
        {"空房", &handle.NullCount},     {"带位房", &handle.LeadCount},   {"预订房", &handle.ReserverCount},
        {"已开房", &handle.InCount},     {"结账房", &handle.SettleCount}, {"清洁房", &handle.RetainCount},
        {"并台房", &handle.MergerCount}, {"维修房", &handle.BadCount},
    };
    if (m_segment) {
        for (int i = 0; i < 8; ++i)
            m_segment->setTitleForSegmentAtIndex(std::string(titles[i].first) + "(" + *titles[i].second + ")", i);
    }
    if (m_HUD) {
        m_HUD->removeFromSuperview();
        m_HUD.reset();
    }
}

void RoomStatesViewController::GridViewDidTapOnItemAtIndex(GridView& grid, std::int64_t index)
{
    if (grid.tag() == FilterGridTag) {
        const auto& types = DataCenter::sharedInstance().mRoomTypes;
        if (index < 0 || index >= static_cast<std::int64_t>(types.size()))
            return;
        const auto& entry = types[static_cast<std::size_t>(index)];
        if (entry.flag == "roomType")
            m_roomTypeID = entry.id;
        else if (entry.flag == "roomRegion")
            m_roomRegionID = entry.id;
        updateData(true);
        m_gridViewRoomTypes->reloadData();
        return;
    }
    if (grid.tag() != RoomGridTag)
        return;
    const auto& rooms = SocketDataHandle::sharedInstance().tempRoomArray;
    if (index < 0 || index >= static_cast<std::int64_t>(rooms.size()))
        return;
    m_selectedIndex = index;
    m_tmpRoomObj = rooms[static_cast<std::size_t>(index)];
    DataCenter::sharedInstance().roomNo = m_tmpRoomObj->RoomNo;
    SocketDataHandle::sharedInstance().clearTmpSelectOld();
    ServerNetworkCenter::sharedInstance().sentMsg(VenueCommand::RoomDetails, {m_tmpRoomObj->RoomNo, "", "0"});
}

void RoomStatesViewController::socketDataHandleDidRoomStateAndInfo(const std::shared_ptr<RoomStateAndInfo>& info)
{
    if (!m_tmpRoomObj || !info)
        return;
    // A refused request opens no details: the server's message says why.
    if (info->ErrorCode != "0") {
        if (!info->ErrorMsg.empty())
            UIAlertViewQN::setMsg(info->ErrorMsg)->show();
        return;
    }
    if (m_popover && m_popover->isPopoverVisible())
        m_popover->dismissPopoverAnimated(false);

    auto details = RoomInfoViewController::create(UITableViewStyle::Grouped);
    details->roomStateObj = m_tmpRoomObj;
    details->roomInfoObj = info;
    m_popover = UIPopoverController::create(details);
    m_popover->setPopoverContentSize(CGSizeMake(250, popoverHeight(m_tmpRoomObj->MyRoomState)));
    m_popover->setPopoverBackgroundStyle(1);
    details->view()->setBackgroundColor(UIColor::clearColor());
    auto self = std::dynamic_pointer_cast<RoomStatesViewController>(shared_from_this());
    m_popover->setDelegate(self);
    details->popover = m_popover;
    details->delegate = self;

    // The tile at the tapped index may have been reused or gone with a reload since the tap.
    std::shared_ptr<UIView> anchor = m_gridView ? std::static_pointer_cast<UIView>(m_gridView->cellForItemAtIndex(m_selectedIndex)) : nullptr;
    if (!anchor)
        anchor = m_gridView ? std::static_pointer_cast<UIView>(m_gridView) : view();
    m_popover->presentPopoverFromRect(anchor->bounds(), *anchor, UIPopoverArrowDirectionAny, true);
}

void RoomStatesViewController::socketDataHandleGetCmdResult(bool success, const std::string& message)
{
    if (success)
        refrushCurPage();
    if (!message.empty())
        UIAlertViewQN::setMsg(message)->show();
}

void RoomStatesViewController::popoverControllerDidDismissPopover(UIPopoverController&)
{
    takeReplies("popoverControllerDidDismissPopover");
}

void RoomStatesViewController::disMiss()
{
    // The details ask for a password after closing; their keypad answers them, so they stay
    // alive here even if another room's details replace the popover meanwhile.
    if (m_popover) {
        m_detailsAwaitingPassword = m_popover->contentViewController();
        m_popover->dismissPopoverAnimated(true);
    }
    takeReplies("disMiss");
}

void RoomStatesViewController::showOrderViewController()
{
    if (m_popover)
        m_popover->dismissPopoverAnimated(true);
    DataCenter::sharedInstance().FoodType = 0;
    auto storyboard = UIStoryboard::storyboardWithName("Storyboard_FoodOrder");
    if (auto order = storyboard ? storyboard->instantiateInitialViewController() : nullptr)
        presentViewController(order, true);
}

void RoomStatesViewController::showVipCardFreeViewController()
{
    presentFoodOrderScene("vipCardFreeView");
}

void RoomStatesViewController::showBillViewController()
{
    presentFoodOrderScene("billVew");
}

void RoomStatesViewController::presentFoodOrderScene(const std::string& identifier)
{
    if (m_popover)
        m_popover->dismissPopoverAnimated(true);
    auto storyboard = UIStoryboard::storyboardWithName("Storyboard_FoodOrder");
    if (auto scene = storyboard ? storyboard->instantiateViewControllerWithIdentifier(identifier) : nullptr)
        presentViewController(scene, true);
}
