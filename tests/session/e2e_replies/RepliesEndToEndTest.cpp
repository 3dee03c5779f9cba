// The session core against the venue server on loopback: each command of the ordering, billing,
// bar and room-equipment screens, sent through the server connection, reaches the receiver's
// callback for its reply, and a lost link comes back. The start-up road, the bottle chain, the
// bill and basket payments and the recommended dishes are driven through the screens instead.
// The venue server's own tests leave the cases checked here to this program.
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"
#include "tests/session/dispatcher/RecordingReceiver.h"
#include "tests/support/TestEnvironment.h"
#include "tools/venue-sim/VenueServerThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

namespace {

using Fields = std::vector<std::string>;

struct Exchange {
    int command;
    std::function<Fields()> fields;
    std::string callback;
    std::function<void(const RecordingReceiver&)> check;
};

class RepliesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { start(); }
    // The shipped venue without drift, the session pointed at it and connected.
    void start(VenueServerOptions options = {})
    {
        std::string error;
        auto venue = VenueData::fromFile(VenueData::defaultFile(), error);
        ASSERT_TRUE(venue) << error;
        options.drift = false;
        server = std::make_unique<VenueServerThread>(std::move(*venue), options);
        ASSERT_TRUE(server->running()) << server->error();
        UserDefaults::standard().setObject("Server_Ip", "127.0.0.1");
        UserDefaults::standard().setObject("Server_Port", std::to_string(server->port()));
        SocketDataHandle::sharedInstance().setDelegate(receiver);
        ServerNetworkCenter::sharedInstance().initConnect();
        ASSERT_TRUE(RunLoop::main().runUntil([] { return ServerNetworkCenter::sharedInstance().isConnect(); }, 5.0));
    }
    void TearDown() override
    {
        ServerNetworkCenter::resetForTesting();
        SocketDataHandle::resetForTesting();
        DataCenter::resetForTesting();
        RunLoop::main().reset();
        server.reset();
    }

    void run(const std::vector<Exchange>& exchanges)
    {
        for (const auto& exchange : exchanges) {
            SCOPED_TRACE("command " + std::to_string(exchange.command));
            receiver->calls.clear();
            ServerNetworkCenter::sharedInstance().sentMsg(exchange.command, exchange.fields());
            const bool called = RunLoop::main().runUntil(
                [&] { return std::find(receiver->calls.begin(), receiver->calls.end(), exchange.callback) != receiver->calls.end(); },
                5.0);
            ASSERT_TRUE(called) << exchange.callback << " was not called";
            EXPECT_EQ(receiver->calls.size(), 1u);
            if (exchange.check)
                exchange.check(*receiver);
        }
    }

    ScopedDataFolder data;
    std::unique_ptr<VenueServerThread> server;
    std::shared_ptr<RecordingReceiver> receiver = std::make_shared<RecordingReceiver>();
};

std::function<Fields()> fields(Fields values)
{
    return [values] { return values; };
}

// Six bottles of beer for A06, confirmed by clerk 8806 with his password, then what follows.
std::function<Fields()> beerOrder(Fields after = {})
{
    Fields values {"A06", "8806", "3344", "1", "1001", "纯生啤酒", "", "6", "N", ""};
    values.insert(values.end(), after.begin(), after.end());
    return fields(values);
}

TEST_F(RepliesEndToEnd, RoomEquipmentAndReports)
{
    const auto& handle = SocketDataHandle::sharedInstance();
    run({
        {3, fields({"A01"}), "UpdateDB", [](const auto& r) { EXPECT_EQ(r.text2, "20240518"); }},
        {10, fields({"A01", "1"}), "controlChenged", [&](const auto&) { EXPECT_TRUE(handle.isPlaying); }},
        {15, fields({"A01", "45"}), "controlChenged", [&](const auto&) { EXPECT_EQ(handle.currentVol, 45); }},
        {17, fields({"A01", "1"}), "controlChenged", [&](const auto&) { EXPECT_TRUE(handle.isMute); }},
        {20, fields({"A01"}), "controlChenged", [&](const auto&) { EXPECT_TRUE(handle.isOriginalMusic); }},
        {19, fields({"A01"}), "controlChenged", [&](const auto&) { EXPECT_FALSE(handle.isOriginalMusic); }},
        {31, fields({"A01", "7", "3"}), "dengGuang", nullptr},
        {33, fields({"A01", "5"}), "tiaoYin", [&](const auto&) { EXPECT_FLOAT_EQ(handle.effMax, 10); }},
        {77, fields({"A01"}), "dianShiPinDao", [](const auto& r) { EXPECT_EQ(r.channels.size(), 8u); }},
        {75, fields({"A01"}), "roomReport", [](const auto& r) { ASSERT_TRUE(r.report); EXPECT_EQ(r.report->reportID, 3); }},
        {76, [] { Fields report(46, "4"); report[0] = "A01"; return report; }, "saveRoomReport", nullptr},
    });
}

TEST_F(RepliesEndToEnd, MenuOrderingAndPromoters)
{
    run({
        {103, fields({"1"}), "category", [](const auto& r) { EXPECT_EQ(r.categories.size(), 14u); }},
        {106, fields({"R3"}), "addInfoOfFood", [](const auto& r) { EXPECT_EQ(r.remarks.size(), 4u); }},
        {105, fields({"A06", "1001", "12"}), "selectFood", [](const auto& r) { EXPECT_EQ(r.folioLines.size(), 2u); }},
        {107, fields({"3001"}), "packChild", [](const auto& r) { EXPECT_EQ(r.number, 3); }},
        {108, fields({"FS2", "1"}), "packChild",
         [](const auto& r) { ASSERT_TRUE(r.groupDishes); EXPECT_EQ(r.groupDishes->at("F2").size(), 3u); }},
        {141, fields({"0", "0", "0", "0", "0", "0", "1", "xiao", "0", "", "", "", "", ""}), "selectClerkList",
         [](const auto& r) { EXPECT_EQ(r.clerkRows.size(), 3u); }},
        {114, beerOrder(), "confirmInputFood", [](const auto& r) { EXPECT_EQ(r.text, ""); }},
        {115, beerOrder(), "confirmInputFood", [](const auto& r) { EXPECT_EQ(r.text, ""); }},
        {114, fields({"A06", "8806", "0000"}), "confirmInputFood", [](const auto& r) { EXPECT_EQ(r.text, "落单密码错误"); }},
    });
}

TEST_F(RepliesEndToEnd, BillsMemberCardsPaymentsAndStoredBottles)
{
    std::string paymentOrder;
    run({
        {109, fields({"A04"}), "bill", [](const auto& r) { EXPECT_EQ(r.lines.size(), 27u + 3 * 16); }},
        {156, fields({"A04"}), "noSettleFolio", [](const auto& r) { EXPECT_EQ(r.folio.DataDetail.size(), 3u); }},
        {159, fields({"VIP843950"}), "vipSendPassWord", [](const auto& r) { EXPECT_EQ(r.dictionary.at("VipGuestName"), "高女士"); }},
        {127, fields({"VIP843950", "843950"}), "vipInfo", [](const auto& r) { EXPECT_EQ(r.dictionary.at("Balance"), "5000"); }},
        {163, beerOrder({"VIP843950", "843950"}), "confirmInputFoodOfVip", [](const auto& r) { EXPECT_EQ(r.text, ""); }},
        {202, fields({"A06", "128"}), "aliPayErCode",
         [&](const auto& r) { EXPECT_TRUE(r.flag); paymentOrder = r.text2; }},
        {203, [&] { return Fields {paymentOrder, "0571026"}; }, "aliPayState", [](const auto& r) { EXPECT_FALSE(r.flag); }},
        {204, fields({"A06", "66"}), "wxPayErCode", [&](const auto& r) { EXPECT_TRUE(r.flag); paymentOrder = r.text2; }},
        {205, [&] { return Fields {paymentOrder, "0571026"}; }, "wxPayState", [](const auto& r) { EXPECT_FALSE(r.flag); }},
        {157, fields({"A04", "8805", "1122", "0"}), "payMoneyOfHall", [](const auto& r) { EXPECT_TRUE(r.flag); }},
        {183, fields({"0102"}), "storeFoodList", [](const auto& r) { EXPECT_EQ(r.drinks.size(), 5u); }},
        {211, fields({"SW1001"}), "deleteRequestStore", [](const auto& r) { EXPECT_TRUE(r.flag); }},
        {212, fields({"", "0571026", "8805", "孙晓燕", "A04", "", "oWX-0002", "小鹿", "1", "1103", "伏特加", "0", "2", "0.00"}),
         "improveStore", [](const auto& r) { EXPECT_TRUE(r.flag); }},
    });
}

} // namespace

// A server that drops each link after one reply, and a screen without the link callback.
class LostLink : public RepliesEndToEnd {
protected:
    void SetUp() override
    {
        VenueServerOptions options;
        options.dropAfterReplies = 1;
        receiver->ownsReconnect = false;
        start(options);
    }
};

TEST_F(LostLink, IsReconnectedAfterADelay)
{
    auto& link = ServerNetworkCenter::sharedInstance();
    link.sentMsg(60, {});
    // The server answers once and drops the link; the dispatcher reconnects about a second later.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !link.isConnect(); }, 5.0));
    EXPECT_TRUE(SocketDataHandle::sharedInstance().reconnectPending());
    const auto dropped = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return link.isConnect(); }, 5.0));
    EXPECT_GE(std::chrono::steady_clock::now() - dropped, std::chrono::milliseconds(800));
    EXPECT_FALSE(SocketDataHandle::sharedInstance().reconnectPending());
}
