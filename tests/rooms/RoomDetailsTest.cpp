#include "tests/rooms/ScreenTestSupport.h"

#include "kit/ShadowLabel.h"
#include "platform/ui/UITableView.h"
#include "platform/ui/UITableViewCell.h"
#include "rooms/RoomInfoBarView.h"
#include "rooms/RoomInfoViewController.h"
#include "tests/support/SelectionLook.h"

namespace {

struct Shown {
    std::vector<std::string> sections; // titles of the fact sections
    std::map<std::string, std::string> facts;
};

// The details of a room in the given display state as a person would read them.
Shown detailsFor(std::int64_t state, const std::string& checkInMode, const std::string& preSettle = "0")
{
    DataCenter::sharedInstance().CheckInRoomMode = checkInMode;
    auto room = std::make_shared<RoomStatesObject>(RoomStatesObject {
        .RoomNo = "A01", .ReserveDateTime = "19:30", .ArriveDateTime = "20:00", .CheckInDateTime = "20:05",
        .MyRoomState = state,
        .MT_PreSettleFlag = preSettle});
    auto info = std::make_shared<RoomStateAndInfo>();
    info->RoomType = "中包";
    info->setState("I");
    info->ReserveClerk = "王丽";
    info->ManCount = "6";
    auto details = RoomInfoViewController::create(UITableViewStyle::Grouped);
    details->roomStateObj = room;
    details->roomInfoObj = info;
    auto table = details->tableView();
    table->setFrame(CGRectMake(0, 0, 250, 2000)); // tall enough to show every row
    table->layoutIfNeeded();
    static const char* const stateNames[] = {"free", "seating", "booked", "open", "settling", "cleaning", "merged", "out-of-order"};
    keepViewPicture(*table, std::string("room-details-") + stateNames[state] + "-check-in-mode-" + checkInMode
                        + (preSettle == "0" ? "" : "-pre-settled"));
    Shown shown;
    for (int section = 0; section < table->numberOfSections(); ++section) {
        for (int row = 0; row < table->numberOfRowsInSection(section); ++row) {
            auto cell = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRowInSection(row, section));
            if (!cell || cell->reuseIdentifier() != "DetailTextCell")
                continue; // none, or an action
            shown.facts[cell->textLabel()->text()] = cell->detailTextLabel()->text();
            if (row == 0)
                shown.sections.push_back(details->sectionAtIndex(static_cast<std::size_t>(section))->title().value_or(""));
        }
    }
    return shown;
}

using Titles = std::vector<std::string>;

} // namespace

TEST_F(ScreenTest, DetailsShowTheRoomsFactsByState)
{
    auto open = detailsFor(RoomDisplayOpen, "1");
    EXPECT_EQ(open.sections, (Titles {"房台信息", "预定信息"}));
    auto& facts = open.facts;
    EXPECT_EQ(std::tie(facts["房台号"], facts["房台类"], facts["房台状态"], facts["开台时间"], facts["客人人数"]),
              std::make_tuple("A01", "中包", "消费中", "20:05", "6"));
    // The labels of the free and broken states are the floor's own, not the server's.
    EXPECT_EQ(detailsFor(RoomDisplayFree, "1").facts["房台状态"], "可用房");
    EXPECT_EQ(detailsFor(RoomDisplayOutOfOrder, "1").facts["房台状态"], "维修房");
    EXPECT_EQ(detailsFor(RoomDisplayMerged, "1").facts["房台状态"], "消费中");
    auto booked = detailsFor(RoomDisplayBooked, "1");
    EXPECT_EQ(booked.sections, (Titles {"房台信息", "预定信息"}));
    EXPECT_EQ(std::tie(booked.facts["定位经理"], booked.facts["预定时间"], booked.facts["抵达时间"],
                       booked.facts["客人人数"]),
              std::make_tuple("王丽", "19:30", "20:00", "6"));
    // Seated and cleaning rooms have no booking to show; a room checking out shows its booking
    // only when pre-settled.
    EXPECT_EQ(detailsFor(RoomDisplaySeating, "1").sections, (Titles {"房台信息"}));
    EXPECT_EQ(detailsFor(RoomDisplayCleaning, "1").sections, (Titles {"房台信息"}));
    EXPECT_EQ(detailsFor(RoomDisplaySettling, "1", "0").sections, (Titles {"房台信息"}));
    EXPECT_EQ(detailsFor(RoomDisplaySettling, "1", "01").sections, (Titles {"房台信息", "预定信息"}));
}

// The action rows act as buttons: a tap runs the action and leaves the row as it was, not lit
// as if still held.
TEST_F(ScreenTest, ATappedActionRowDoesNotStayLit)
{
    DataCenter::sharedInstance().CheckInRoomMode = "1";
    auto details = RoomInfoViewController::create(UITableViewStyle::Grouped);
    details->roomStateObj
        = std::make_shared<RoomStatesObject>(RoomStatesObject {.RoomNo = "A01", .MyRoomState = RoomDisplayOpen});
    auto table = details->tableView();
    table->setFrame(CGRectMake(0, 0, 250, 2000));
    table->layoutIfNeeded();
    // Ordering and gifts open through the floor, and these details have none: the taps do
    // nothing but go through the table.
    const auto order = NSIndexPath::indexPathForRowInSection(0, 0);
    const auto gifts = NSIndexPath::indexPathForRowInSection(0, 1);
    auto orderRow = table->cellForRowAtIndexPath(order);
    auto giftsRow = table->cellForRowAtIndexPath(gifts);
    ASSERT_TRUE(orderRow && giftsRow);
    ASSERT_EQ(orderRow->textLabel()->text(), "点  单");
    ASSERT_EQ(giftsRow->textLabel()->text(), "会员卡赠");

    EXPECT_TRUE(table->tapRowAtIndexPath(order));
    EXPECT_EQ(selectionLook(*orderRow), "plain");
    table->selectRowAtIndexPath(gifts, false, UITableViewScrollPosition::None);
    EXPECT_EQ(selectionLook(*giftsRow), "selected, fill, lit text"); // what a row still held shows
    EXPECT_TRUE(table->tapRowAtIndexPath(gifts));
    EXPECT_EQ(selectionLook(*giftsRow), "plain");
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
}

TEST_F(ScreenTest, PasswordOnlyBindingSendsModeThreeWithoutTheClerk)
{
    startServer({}, "0", "1");
    auto& link = ServerNetworkCenter::sharedInstance();
    link.initConnect();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return link.isConnect(); }, 5.0));
    auto& session = DataCenter::sharedInstance();
    session.clerkNo = "8805";
    auto details = RoomInfoViewController::create(UITableViewStyle::Grouped);
    details->roomStateObj = std::make_shared<RoomStatesObject>(RoomStatesObject {.RoomNo = "A07"});
    session.noLoginOnlyCheckPW = true;
    details->customAlertViewClick(97, true, "2580", 0);
    session.noLoginOnlyCheckPW = false;
    details->customAlertViewClick(162, true, "", 0);
    details->customAlertViewClick(96, false, "2580", 0); // cancelled: nothing
    details->customAlertViewClick(201, true, "1357", 0);
    EXPECT_TRUE(waitForRequest("request 97 fields=[3||2580|A07]"));
    EXPECT_TRUE(waitForRequest("request 162 fields=[0|8805||A07]"));
    EXPECT_TRUE(waitForRequest("request 102 fields=[0|||1357|||]"));
    EXPECT_EQ(logged("request 96"), 0u);
    EXPECT_EQ(session.wineCmd, 201);
}

TEST_F(ScreenTest, RoomBarShowsTheRoomBookerAndAmount)
{
    DataCenter::sharedInstance().roomNo = "V02";
    auto bar = RoomInfoBarView::initWithXib();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->lblRoomName()->text(), "V02");
    EXPECT_EQ(bar->lblDingFangRen()->text(), "客订"); // no details yet
    EXPECT_EQ(bar->lblYiXiaoFei()->text(), "");
    auto details = std::make_shared<RoomStateAndInfo>();
    details->ReserveClerk = "陈建国";
    details->XiaoFeiJinE = "1688.00";
    SocketDataHandle::sharedInstance().roomState = details;
    bar = RoomInfoBarView::initWithXib();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->lblDingFangRen()->text(), "陈建国");
    EXPECT_EQ(bar->lblYiXiaoFei()->text(), "1688.00");
}
