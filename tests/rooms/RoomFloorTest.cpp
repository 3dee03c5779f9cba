#include "tests/rooms/RoomFloorFixture.h"

#include "platform/ui/UITextField.h"
#include "rooms/RoomTypeCell.h"

// The floor of a hall in check-in mode "1", open and showing the replies.
class OpenFloorTest : public RoomFloorTest {
protected:
    void SetUp() override
    {
        RoomFloorTest::SetUp();
        floor = openFloor();
        ASSERT_TRUE(floor);
    }
    std::shared_ptr<RoomStatesViewController> floor;
};

TEST_F(OpenFloorTest, FloorShowsEveryRoomColouredWithTheCounters)
{
    const auto& handle = SocketDataHandle::sharedInstance();
    ASSERT_FALSE(handle.tempRoomArray.empty());
    EXPECT_EQ(floor->numberOfItemsInGridView(*floor->roomGrid()), static_cast<std::int64_t>(handle.tempRoomArray.size()));
    EXPECT_EQ(floor->segment()->titleForSegmentAtIndex(0), "空房(" + handle.NullCount + ")");
    EXPECT_EQ(floor->segment()->titleForSegmentAtIndex(7), "维修房(" + handle.BadCount + ")");
    EXPECT_TRUE(log.contains("setDelegate RoomStatesViewController-viewDidLoad"));

    // An open room's tile: its title, the state lines and the red of an open room.
    const auto open = indexOfRoomIn(RoomDisplayOpen);
    ASSERT_GE(open, 0);
    floor->roomGrid()->layoutIfNeeded();
    auto tile = std::dynamic_pointer_cast<RoomStateCell>(floor->GridViewCellForItemAtIndex(*floor->roomGrid(), open));
    ASSERT_TRUE(tile);
    const auto& room = *handle.tempRoomArray[static_cast<std::size_t>(open)];
    EXPECT_EQ(tile->lblRoomNo()->text(), room.RoomNo + "(" + room.LowLimitMoney + ")");
    EXPECT_EQ(tile->lblDaoDaShiJian()->text(), "开:" + room.CheckInDateTime);
    EXPECT_EQ(tile->lblYuDingShiJian()->text(), "应收:" + room.StrYingShou);
    EXPECT_TRUE(UIColor::equal(tile->backgroundColor(), UIColorQN::getColor("CC3333")))
        << (tile->backgroundColor() ? tile->backgroundColor()->description() : "none");
    // Reused for a free room, the tile clears its state lines and turns grey.
    const auto free = indexOfRoomIn(RoomDisplayFree);
    ASSERT_GE(free, 0);
    auto reused = std::dynamic_pointer_cast<RoomStateCell>(floor->GridViewCellForItemAtIndex(*floor->roomGrid(), free));
    ASSERT_TRUE(reused);
    EXPECT_EQ(reused->lblYuDingShiJian()->text(), "");
}

TEST_F(OpenFloorTest, PageInViewIsAskedForEveryRefreshAndFiltersAskForTheWholeList)
{
    const std::string page1 = "request 161 fields=[1|25|1|";
    const auto before = logged(page1);
    advance(1.5);
    EXPECT_TRUE(waitForLog(page1, before + 1));
    EXPECT_TRUE(floor->timer() && floor->timer()->isValid());

    // Resting on the second page asks for page 2.
    auto grid = floor->roomGrid();
    grid->setContentOffset(CGPointMake(grid->bounds().size.width, 0));
    advance(1.5);
    EXPECT_TRUE(waitForLog("request 161 fields=[1|25|2|"));
    EXPECT_EQ(floor->lastRefreshedPage(), 2);

    // A region asks for the whole list with that region; "全部区域" clears it again.
    const auto& regions = DataCenter::sharedInstance().mRoomTypes;
    ASSERT_GE(regions.size(), 2u);
    floor->GridViewDidTapOnItemAtIndex(*floor->filterGrid(), 1);
    EXPECT_EQ(floor->roomRegionID(), regions[1].id);
    EXPECT_TRUE(waitForLog("|0|1|8805||" + regions[1].id + "]"));
    floor->GridViewDidTapOnItemAtIndex(*floor->filterGrid(), 0);
    EXPECT_EQ(floor->roomRegionID(), "");
    floor->GridViewDidTapOnItemAtIndex(*floor->filterGrid(), 99); // past the list: nothing
    EXPECT_EQ(floor->roomRegionID(), "");
}

TEST_F(OpenFloorTest, RoomTapOpensItsDetailsAndOutsideTapHandsRepliesBack)
{
    const auto open = indexOfRoomIn(RoomDisplayOpen);
    ASSERT_GE(open, 0);
    const auto roomNo = SocketDataHandle::sharedInstance().tempRoomArray[static_cast<std::size_t>(open)]->RoomNo;
    floor->GridViewDidTapOnItemAtIndex(*floor->roomGrid(), open);
    EXPECT_EQ(DataCenter::sharedInstance().roomNo, roomNo);
    ASSERT_TRUE(advanceUntil([&] { return floor->popover() && floor->popover()->isPopoverVisible(); }));
    EXPECT_EQ(logged("request 119 fields=[" + roomNo + "||0]"), 1u);
    EXPECT_EQ(floor->popover()->popoverContentSize().height, 540);
    keepScreenPicture("room-floor-details-popover-open-room");
    auto details = std::dynamic_pointer_cast<RoomInfoViewController>(floor->popover()->contentViewController());
    ASSERT_TRUE(details);
    EXPECT_EQ(actionTitles(*details), (std::vector<std::string> {"点  单", "会员卡赠", "查看账单", "申请清台", "扫码存酒", "扫码取酒"}));
    EXPECT_EQ(SocketDataHandle::sharedInstance().delegate(), std::dynamic_pointer_cast<SocketDataHandleDelegate>(details));

    ASSERT_TRUE(floor->popover()->tapOutside());
    EXPECT_TRUE(advanceUntil([&] { return log.contains("setDelegate RoomStatesViewController-popoverControllerDidDismissPopover"); }));
    EXPECT_EQ(SocketDataHandle::sharedInstance().delegate(), std::dynamic_pointer_cast<SocketDataHandleDelegate>(floor));

    // The next room's details replace these, which are then gone: a shift of taps does not pile
    // up popovers.
    std::weak_ptr<RoomInfoViewController> previous = details;
    details.reset();
    floor->GridViewDidTapOnItemAtIndex(*floor->roomGrid(), open == 0 ? 1 : 0);
    ASSERT_TRUE(advanceUntil([&] { return floor->popover()->contentViewController() != previous.lock(); }));
    EXPECT_TRUE(previous.expired());
}

TEST_F(OpenFloorTest, SeatingAFreeRoomAsksForThePasswordAndRefreshes)
{
    const auto free = indexOfRoomIn(RoomDisplayFree);
    ASSERT_GE(free, 0);
    const auto roomNo = SocketDataHandle::sharedInstance().tempRoomArray[static_cast<std::size_t>(free)]->RoomNo;
    floor->GridViewDidTapOnItemAtIndex(*floor->roomGrid(), free);
    ASSERT_TRUE(advanceUntil([&] { return floor->popover() && floor->popover()->isPopoverVisible(); }));
    EXPECT_EQ(floor->popover()->popoverContentSize().height, 330);
    auto details = std::dynamic_pointer_cast<RoomInfoViewController>(floor->popover()->contentViewController());
    ASSERT_TRUE(details);
    // Check-in mode "1": an empty room offers no ordering.
    EXPECT_EQ(actionTitles(*details), (std::vector<std::string> {"房台带位", "扫码存酒", "扫码取酒"}));

    ASSERT_TRUE(details->tableView()->tapRowAtIndexPath(NSIndexPath::indexPathForRowInSection(0, 0)));
    EXPECT_FALSE(floor->popover()->isPopoverVisible());
    EXPECT_EQ(SocketDataHandle::sharedInstance().delegate(), std::dynamic_pointer_cast<SocketDataHandleDelegate>(floor));
    // Another room's details opening meanwhile do not lose the password's room.
    floor->GridViewDidTapOnItemAtIndex(*floor->roomGrid(), free == 0 ? 1 : 0);
    ASSERT_TRUE(advanceUntil([&] { return floor->popover()->contentViewController() != details; }));
    details.reset();
    ASSERT_TRUE(floor->popover()->tapOutside()); // the floor takes the replies back
    ASSERT_TRUE(advanceUntil([&] {
        return SocketDataHandle::sharedInstance().delegate() == std::dynamic_pointer_cast<SocketDataHandleDelegate>(floor);
    }));
    const auto refreshes = logged("request 161 fields=[1|25|");
    EXPECT_EQ(answerKeypad("2580"), "请输入密码");
    EXPECT_TRUE(waitForLog("request 96 fields=[0|8805|2580|" + roomNo + "]"));
    // Success refreshes the page at once and shows the server's message.
    EXPECT_TRUE(waitForLog("request 161 fields=[1|25|", refreshes + 1));
    EXPECT_TRUE(advanceUntil([] { return UIApplication::sharedApplication().topAlert() != nullptr; }));
}

TEST_F(RoomFloorTest, ScreensOpenedFromTheFloorComeBackToTheSameFloor)
{
    auto floor = openFloor("2");
    ASSERT_TRUE(floor);
    floor->GridViewDidTapOnItemAtIndex(*floor->roomGrid(), 0);
    ASSERT_TRUE(advanceUntil([&] { return floor->popover() && floor->popover()->isPopoverVisible(); }));
    auto details = std::dynamic_pointer_cast<RoomInfoViewController>(floor->popover()->contentViewController());
    ASSERT_TRUE(details);
    ASSERT_TRUE(details->tableView()->tapRowAtIndexPath(NSIndexPath::indexPathForRowInSection(0, 0))); // 点  单
    std::shared_ptr<OrderViewController> order;
    ASSERT_TRUE(advanceUntil([&] {
        order = std::dynamic_pointer_cast<OrderViewController>(ScreenInFront::visibleController());
        return order && order->appearance() == UIViewController::Appearance::Appeared;
    }));
    EXPECT_FALSE(floor->timer()); // no refresh while covered
    keepScreenPicture("ordering");
    ASSERT_TRUE(order->roomBar());
    ASSERT_TRUE(order->backButton()->tap());
    ASSERT_TRUE(advanceUntil([&] { return ScreenInFront::visibleController() == floor; }));
    advance(0.5);
    EXPECT_TRUE(floor->timer() && floor->timer()->isValid());
    EXPECT_EQ(SocketDataHandle::sharedInstance().delegate(), std::dynamic_pointer_cast<SocketDataHandleDelegate>(floor));
}

TEST_F(OpenFloorTest, RefusedDetailsShowOnlyTheServersMessage)
{
    floor->GridViewDidTapOnItemAtIndex(*floor->roomGrid(), 0);
    auto refused = std::make_shared<RoomStateAndInfo>();
    refused->ErrorCode = "1";
    refused->ErrorMsg = "房台号无效";
    floor->socketDataHandleDidRoomStateAndInfo(refused);
    EXPECT_FALSE(floor->popover());
    EXPECT_EQ(alertMessage(), "房台号无效");
    // A grid that has no width yet rests on page 1.
    floor->roomGrid()->setFrame(CGRectMake(0, 0, 0, 0));
    EXPECT_EQ(floor->currentPage(), 1);
}

TEST_F(OpenFloorTest, ALongRegionNameShrinksInsideItsTileBorder)
{
    auto tile = std::dynamic_pointer_cast<RoomTypeCell>(floor->filterGrid()->cellForItemAtIndex(0));
    ASSERT_TRUE(tile && tile->lblName());
    auto label = tile->lblName();
    label->setText("城东一号楼豪华贵宾区域");
    const double border = tile->layer().borderWidth;
    EXPECT_TRUE(CGRectContainsRect(CGRectInset(tile->bounds(), border, border), label->frame()));
    EXPECT_LT(label->fontSizeForDrawing(label->bounds()), label->font()->pointSize());
}

TEST_F(OpenFloorTest, TheBindingAlertSendsItsFieldForTheTappedRoom)
{
    floor->GridViewDidTapOnItemAtIndex(*floor->roomGrid(), 0);
    // Only button 0 of an alert tagged 90 that has a field binds; the others send nothing.
    for (const auto& [tag, style, button] : {std::tuple {90, UIAlertViewStyle::PlainTextInput, 1},
                                             std::tuple {91, UIAlertViewStyle::PlainTextInput, 0},
                                             std::tuple {90, UIAlertViewStyle::Default, 0},
                                             std::tuple {90, UIAlertViewStyle::PlainTextInput, 0}}) {
        auto alert = UIAlertView::create("", "", floor, "确定", {"取消"});
        alert->setTag(tag);
        alert->setAlertViewStyle(style);
        if (auto field = alert->textFieldAtIndex(0))
            field->setText("4321");
        alert->show();
        ASSERT_TRUE(alert->tapButtonAtIndex(button));
    }
    const auto& room = *SocketDataHandle::sharedInstance().tempRoomArray.at(0);
    EXPECT_TRUE(waitForLog("request 90 fields=[" + DataCenter::sharedInstance().UDID + "|4321|1|" + room.RoomNo + "]"));
    advance(0.2);
    EXPECT_EQ(logged("|4321|"), 1u);
    floor->viewDidUnload();
    EXPECT_FALSE(floor->segment());
}

// A venue that keeps refusing what nobody asked for, through the dispatcher as the link hands
// replies on: the dispatcher's refused logins and the floor's refused clerk checks fold into one
// alert that counts them all, repeats included. However the venue keeps it up, sending another
// as soon as the clerk takes one away, the refusal of the clerk's own tap shows in front.
TEST_F(OpenFloorTest, UnaskedRefusalsFoldIntoOneAndTheClerksOwnRefusalShows)
{
    const auto refuse = [](int command, const std::string& message) {
        DataCenter::sharedInstance().forwardNoticeCode("tcpMsg", "000000\r\n" + std::to_string(command) + "\r\n1\r\n" + message);
    };
    const int rounds = 20;
    for (int i = 0; i < rounds; ++i) {
        refuse(102, "密码错误");
        refuse(99, "工号无效" + std::to_string(i));
    }
    auto& app = UIApplication::sharedApplication();
    ASSERT_EQ(app.alerts().size(), 1u);
    EXPECT_EQ(app.unaskedAlertCount(), 2u * rounds);
    EXPECT_EQ(alertMessage(), "工号无效19\n（共 40 条）");
    EXPECT_EQ(logged("alert not shown"), 0u);

    server->onServer([](VenueServer& venue) {
        venue.commands().add(119, [](const VenueRequest&) { return std::optional(ReplyBuilder(119, "1", "房台号无效")); });
    });
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(app.topAlert()->tapButtonAtIndex(0));
        refuse(99, "工号无效");
    }
    floor->GridViewDidTapOnItemAtIndex(*floor->roomGrid(), 0);
    EXPECT_TRUE(advanceUntil([&] {
        if (app.topAlert() == app.unaskedAlert())
            refuse(99, "工号无效");
        return alertMessage() == "房台号无效";
    }));
    EXPECT_EQ(app.alerts().size(), 2u);
    EXPECT_EQ(app.alerts().front(), app.unaskedAlert());
    EXPECT_EQ(DataCenter::sharedInstance().awaitedReplies.waiting(119), 0u);
}
