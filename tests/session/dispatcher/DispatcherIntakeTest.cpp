#include "tests/session/dispatcher/DispatcherTestSupport.h"

#include "session/records/UserInfo.h"

#include <tuple>

TEST_F(DispatcherTest, RepliesWithoutHandlerOrCommandChangeNothing)
{
    for (const auto& text : {replyText(4, {"0", ""}), replyText(300, {"0", ""}), std::string("000000\r\nabc\r\n0"),
                             std::string("000000"), std::string(""), replyText(2, {"0"}), replyText(214, {"0"})})
        deliver(text);
    DataCenter::sharedInstance().forwardNoticeCode("updateData", replyText(60, {"0", "", "x"}));
    DataCenter::sharedInstance().forwardNoticeCode("sysMsg", "clientDidDisconnect");
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(display.redisplays, 0);
}

TEST_F(DispatcherTest, LinkEventsAreShownAndGoToAScreenThatOwnsTheReconnect)
{
    linkEvent("serverConnected");
    EXPECT_EQ(display.offLine, "已连接");
    EXPECT_EQ(display.redisplays, 1);
    EXPECT_TRUE(receiver->flag);
    linkEvent("serverDidDisconnect");
    EXPECT_EQ(display.offLine, "断开连接");
    EXPECT_FALSE(receiver->flag);
    EXPECT_EQ(calls(), (std::vector<std::string> {"serverConnect", "serverConnect"}));
    EXPECT_FALSE(handle().reconnectPending());
}

TEST_F(DispatcherTest, LostLinkWithoutOwnerReconnectsAfterADelayOnlyOnce)
{
    receiver->ownsReconnect = false;
    linkEvent("serverDidDisconnect");
    linkEvent("serverDidDisconnect");
    EXPECT_EQ(display.offLine, "断开连接");
    EXPECT_TRUE(handle().reconnectPending());
    clock.advance(0.9);
    EXPECT_FALSE(log.contains("trying to connect server"));
    clock.advance(0.2);
    int attempts = 0;
    for (const auto& line : log.lines())
        attempts += line.find("trying to connect server") != std::string::npos;
    EXPECT_EQ(attempts, 1);
    EXPECT_FALSE(handle().reconnectPending());
}

TEST_F(DispatcherTest, ReceiverThatWentAwayGetsNothingButStateStillChanges)
{
    receiver.reset();
    deliver(90, {"0", "", "8801", "张三", "1", "1", "0", "0", "1", "", "", "0", "0"});
    EXPECT_EQ(session().clerkNo, "8801");
    EXPECT_FALSE(handle().delegate());
}

TEST_F(DispatcherTest, ServerDateGoesToTheStrip)
{
    deliver(60, {"0", "", "2026-12-06 20:00"});
    EXPECT_EQ(UserInfo::sharUserInfo().SysTime, "2026-12-06 20:00");
    EXPECT_EQ(display.wifi, "系统日期：2026-12-06 20:00");
    EXPECT_EQ(display.redisplays, 1);
    deliver(60, {"0", ""});
    EXPECT_TRUE(log.contains("系统日期数据错误"));
    EXPECT_EQ(display.redisplays, 1);
    EXPECT_TRUE(calls().empty());
}

TEST_F(DispatcherTest, HallBindingStoresSessionAndRegions)
{
    // A = 2 skipped pairs, B = 1 region at lines 19 and 20.
    deliver(90, {"0", "", "8801", "张三", "2", "1", "0", "1", "1", "x", "y", "2", "1", "s1", "s2", "s3", "s4",
                 "R01", "一楼大厅"});
    EXPECT_EQ(calls(), (std::vector<std::string> {"hallBound"}));
    EXPECT_TRUE(receiver->flag);
    auto& s = session();
    EXPECT_EQ(std::tie(s.clerkNo, s.clerkName, s.ShowType, s.CanCashMoney, s.BoundType, s.LoginMode,
                       s.CheckInRoomMode),
              std::make_tuple("8801", "张三", "2", "1", "0", "1", "1"));
    ASSERT_EQ(s.mRoomTypes.size(), 2u);
    const auto &all = s.mRoomTypes[0], &hall = s.mRoomTypes[1];
    EXPECT_EQ(std::tie(all.id, all.name, hall.id, hall.name, hall.flag),
              std::make_tuple("", "全部区域", "R01", "一楼大厅", "roomRegion"));

    // B = 0 still replaces the list.
    deliver(90, {"0", "", "8801", "张三", "2", "1", "0", "1", "1", "", "", "0", "0"});
    EXPECT_EQ(session().mRoomTypes.size(), 1u);

    // A refusal keeps the binding.
    deliver(90, {"1", "设备未注册"});
    EXPECT_FALSE(receiver->flag);
    EXPECT_EQ(receiver->text, "设备未注册");
    EXPECT_EQ(session().clerkNo, "8801");
    deliver(90, {});
    EXPECT_EQ(calls().size(), 3u);
}

TEST_F(DispatcherTest, HallBindingCountsCannotReadPastTheEnd)
{
    // Skipped pairs, regions, and the region list that results with "全部区域" first.
    const std::tuple<const char*, const char*, std::size_t> counts[] = {
        {"0", "99999999999", 2}, {"0", "-5", 1}, {"0", "4", 2}, {"99999999999", "1", 1},
        {"-3", "1", 1}};
    for (const auto& [skipped, regions, types] : counts) {
        deliver(90, {"0", "", "1", "n", "", "", "", "", "", "", "", skipped, regions, "R1", "一区"});
        EXPECT_EQ(session().mRoomTypes.size(), types) << skipped << "/" << regions;
    }
}

namespace {
// A screen whose clerk login drops the link, noting at the loss whether the alerts it would raise
// then were taken for unasked ones.
class LinkDroppingReceiver : public RecordingReceiver {
public:
    explicit LinkDroppingReceiver(const RecordingAlertDisplay& display)
        : m_display(display)
    {
    }
    std::vector<bool> unaskedAtLinkLoss;
    void socketDataHandleDidLoginSucceed() override
    {
        DataCenter::sharedInstance().forwardNoticeCode("sysMsg", "serverDidDisconnect");
    }
    bool socketDataHandleServerConnect(SocketDataHandle&, bool) override
    {
        unaskedAtLinkLoss.push_back(m_display.unasked);
        return true;
    }

private:
    const RecordingAlertDisplay& m_display;
};
} // namespace

// A reply answers the user only when a request of its command was awaited, one reply for each;
// what any other raises came unasked. A link event concerns the user even when the handling of
// an unasked reply brings it.
TEST_F(DispatcherTest, AlertsAnswerTheUserOnlyForAwaitedRepliesAndLinkEvents)
{
    auto dropping = std::make_shared<LinkDroppingReceiver>(alerts);
    handle().setDelegate(dropping);
    session().awaitedReplies.requestSent(99);
    session().awaitedReplies.requestSent(99);
    session().awaitedReplies.requestSent(300); // no handler: no reply of it is awaited
    deliver(99, {"1", "工号不存在"});
    deliver(99, {"1", "密码错误"});
    deliver(99, {"1", "工号无效"});
    EXPECT_EQ(alerts.alerts.size(), 3u);
    EXPECT_EQ(alerts.unaskedAlerts, (std::vector<std::string> {"提示|工号无效|取消"}));
    EXPECT_EQ(session().awaitedReplies.waiting(300), 0u);

    deliver(99, {"0", "", "8802", "李四"});
    EXPECT_EQ(dropping->unaskedAtLinkLoss, std::vector<bool> {false});
    EXPECT_FALSE(alerts.unasked);
}
