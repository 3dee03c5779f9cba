#include "rooms/RoomInfoViewController.h"

#include "kit/KeypadAlertView.h"
#include "kit/UIColorQN.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NumberValue.h"
#include "platform/graphics/UIFont.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UITableView.h"
#include "platform/ui/UITableViewCell.h"
#include "rooms/RoomActions.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"

namespace {

constexpr int OrderCommand = commandNumber(VenueCommand::OrderLines);
constexpr int GiftCommand = commandNumber(VenueCommand::MemberInfo);
constexpr int BillCommand = commandNumber(VenueCommand::Bill);

} // namespace

std::shared_ptr<RoomInfoViewController> RoomInfoViewController::create(UITableViewStyle style)
{
    return std::make_shared<RoomInfoViewController>(style);
}

RoomInfoViewController::RoomInfoViewController(UITableViewStyle style)
    : StaticContentTableViewController(style)
{
}

void RoomInfoViewController::viewDidLoad()
{
    StaticContentTableViewController::viewDidLoad();
    styleTable();
    const std::int64_t state = roomStateObj ? roomStateObj->MyRoomState : RoomDisplayFree;
    for (const auto& action : roomActionsFor(state, DataCenter::sharedInstance().CheckInRoomMode))
        addBtn(action.title, action.code);
    addRoomSection(state);
    addReservationSection(state);
    // The details take the replies while open (and drop them), in every state alike; the floor
    // takes them back when the popover closes.
    SocketDataHandle::sharedInstance().setDelegate(std::dynamic_pointer_cast<SocketDataHandleDelegate>(shared_from_this()));
    NSLog("setDelegate RoomInfoViewController");
}

void RoomInfoViewController::styleTable()
{
    auto table = tableView();
    table->setRowHeight(30);
    table->setSectionHeaderHeight(2);
    table->setSectionFooterHeight(2);
    // The platform layer draws no picture patterns: a dark ground stands in for the tiled
    // "background" picture.
    table->setBackgroundColor(UIColor::colorWithWhite(0.15, 1));
    table->setTableHeaderView(UIView::create(CGRectMake(0, 0, table->bounds().size.width, 4)));
    table->setTableFooterView(UIView::create(CGRectMake(0, 0, table->bounds().size.width, 4)));
}

void RoomInfoViewController::addRoomSection(std::int64_t state)
{
    const std::string roomNo = roomStateObj ? roomStateObj->RoomNo : "";
    const std::string roomType = roomInfoObj ? roomInfoObj->RoomType : "";
    std::string stateLabel = roomInfoObj ? roomInfoObj->State().value_or("") : "";
    if (state == RoomDisplayFree)
        stateLabel = "可用房";
    else if (state == RoomDisplayOutOfOrder)
        stateLabel = "维修房";
    addSection([&](StaticContentTableViewSection& section, std::size_t) {
        section.setTitle("房台信息");
        addCell(section, "房台号", roomNo);
        addCell(section, "房台类", roomType);
        addCell(section, "房台状态", stateLabel);
    });
}

void RoomInfoViewController::addReservationSection(std::int64_t state)
{
    const std::string reserveClerk = roomInfoObj ? roomInfoObj->ReserveClerk : "";
    const std::string guests = roomInfoObj ? roomInfoObj->ManCount : "";
    const bool preSettled = roomStateObj && intValue(roomStateObj->MT_PreSettleFlag) == 1;
    if (state == RoomDisplayBooked) {
        addSection([&](StaticContentTableViewSection& section, std::size_t) {
            section.setTitle("预定信息");
            addCell(section, "定位经理", reserveClerk);
            addCell(section, "预定时间", roomStateObj->ReserveDateTime);
            addCell(section, "抵达时间", roomStateObj->ArriveDateTime);
            addCell(section, "客人人数", guests);
        });
    } else if (state == RoomDisplayOpen || (state == RoomDisplaySettling && preSettled)) {
        addSection([&](StaticContentTableViewSection& section, std::size_t) {
            section.setTitle("预定信息");
            addCell(section, "定位经理", reserveClerk);
            addCell(section, "开台时间", roomStateObj->CheckInDateTime);
            addCell(section, "客人人数", guests);
        });
    }
}

void RoomInfoViewController::addBtn(const std::string& title, int command)
{
    std::weak_ptr<UIViewController> weak = shared_from_this();
    addSection([&](StaticContentTableViewSection& section, std::size_t) {
        section.addCell(
            [title](StaticContentTableViewCell* row, UITableViewCell* cell, const NSIndexPath*) {
                if (row)
                    row->setCellHeight(60);
                if (cell) {
                    cell->setBackgroundColor(UIColor::darkGrayColor());
                    cell->textLabel()->setText(title);
                    cell->textLabel()->setTextAlignment(NSTextAlignment::Center);
                    cell->textLabel()->setTextColor(UIColorQN::getColor("CC3333"));
                    cell->textLabel()->setFont(UIFont::boldSystemFontOfSize(28));
                }
            },
            [weak, command](const NSIndexPath&) {
                auto screen = std::dynamic_pointer_cast<RoomInfoViewController>(weak.lock());
                if (!screen)
                    return;
                auto floor = screen->delegate.lock();
                if (command == OrderCommand && floor)
                    floor->showOrderViewController();
                else if (command == GiftCommand && floor)
                    floor->showVipCardFreeViewController();
                else if (command == BillCommand && floor)
                    floor->showBillViewController();
                else if (command != OrderCommand && command != GiftCommand && command != BillCommand)
                    screen->btnAction(command);
            });
    });
}

void RoomInfoViewController::addCell(StaticContentTableViewSection& section, const std::string& label,
                                     const std::string& text)
{
    section.addCell([label, text](StaticContentTableViewCell* row, UITableViewCell* cell, const NSIndexPath*) {
        if (row) {
            row->setCellStyle(UITableViewCellStyle::Value1);
            row->setReuseIdentifier("DetailTextCell");
        }
        if (cell) {
            cell->setSelectionStyle(UITableViewCellSelectionStyle::None);
            cell->textLabel()->setText(label);
            cell->detailTextLabel()->setText(text);
            cell->textLabel()->setFont(UIFont::fontWithName("Helvetica-Bold", 15));
            cell->detailTextLabel()->setFont(UIFont::fontWithName("Helvetica-Bold", 15));
        }
    });
}

void RoomInfoViewController::btnAction(int command)
{
    KeypadAlertView::showPasswordPrompt("请输入密码", command,
                                        std::dynamic_pointer_cast<KeypadAlertViewDelegate>(shared_from_this()));
    // The popover closes while the dialog stays: the floor has the replies back before the
    // password is confirmed.
    if (auto floor = delegate.lock())
        floor->disMiss();
}

void RoomInfoViewController::customAlertViewClick(std::int64_t tag, bool isOk, const std::string& input, std::int32_t)
{
    if (!isOk)
        return;
    const auto& session = DataCenter::sharedInstance();
    const std::string mode = session.noLoginOnlyCheckPW ? "3" : "0";
    const std::string clerk = session.passwordOperator();
    const std::string roomNo = roomStateObj ? roomStateObj->RoomNo : "";
    auto& link = ServerNetworkCenter::sharedInstance();
    switch (tag) {
    case commandNumber(VenueCommand::SeatGuests):
    case commandNumber(VenueCommand::CancelSeating):
    case commandNumber(VenueCommand::ClearRoom):
        link.sentMsg(static_cast<int>(tag), {mode, clerk, input, roomNo});
        break;
    case commandNumber(VenueCommand::RoomAction):
        link.sentMsg(VenueCommand::RoomAction, {mode, clerk, input, roomNo, "IPAD檀溪墨记"});
        break;
    case StoreWineCode:
    case RetrieveWineCode:
    case PendingStoreCode:
        DataCenter::sharedInstance().wineCmd = static_cast<std::int32_t>(tag);
        link.sentMsg(VenueCommand::ClerkInfo, {"0", "", "", input, "", "", ""});
        break;
    default:
        break;
    }
}
