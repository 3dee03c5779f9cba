// The session core against the venue server on loopback: the connection, the dispatcher and a
// receiver standing in for the screens.
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"
#include "tests/session/dispatcher/RecordingReceiver.h"
#include "tests/support/TestEnvironment.h"
#include "tools/venue-sim/VenueServer.h"
#include "tools/venue-sim/VenueServerThread.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

VenueData shippedVenue()
{
    std::string error;
    auto data = VenueData::fromFile(VenueData::defaultFile(), error);
    EXPECT_TRUE(data) << error;
    return std::move(*data);
}

class EndToEnd : public ::testing::Test {
protected:
    void start(VenueServerOptions options = {})
    {
        options.drift = false;
        server = std::make_unique<VenueServerThread>(shippedVenue(), options);
        ASSERT_TRUE(server->running()) << server->error();
        UserDefaults::standard().setObject("Server_Ip", "127.0.0.1");
        UserDefaults::standard().setObject("Server_Port", std::to_string(server->port()));
        SocketDataHandle::sharedInstance().setDelegate(receiver);
    }
    void TearDown() override
    {
        ServerNetworkCenter::resetForTesting();
        SocketDataHandle::resetForTesting();
        DataCenter::resetForTesting();
        RunLoop::main().reset();
        server.reset();
    }
    bool waitFor(const std::string& call, std::size_t count = 1, double seconds = 5.0)
    {
        return RunLoop::main().runUntil(
            [&] { return static_cast<std::size_t>(std::count(receiver->calls.begin(), receiver->calls.end(), call)) >= count; },
            seconds);
    }

    ScopedDataFolder data;
    std::unique_ptr<VenueServerThread> server;
    std::shared_ptr<RecordingReceiver> receiver = std::make_shared<RecordingReceiver>();
};

} // namespace

TEST_F(EndToEnd, StartUpRoadAndRoomFloor)
{
    start();
    auto& link = ServerNetworkCenter::sharedInstance();
    link.initConnect();
    ASSERT_TRUE(waitFor("serverConnect"));
    EXPECT_TRUE(receiver->flag);

    link.sentMsg(60, {});
    link.sendMsg(182, {""});
    ASSERT_TRUE(waitFor("changSuoID"));
    EXPECT_TRUE(receiver->flag);
    EXPECT_FALSE(receiver->text2.empty()); // the venue id

    auto& session = DataCenter::sharedInstance();
    link.sentMsg(90, {session.UDID, "", "0", ""});
    ASSERT_TRUE(waitFor("hallBound"));
    EXPECT_TRUE(receiver->flag);
    EXPECT_FALSE(session.BoundType.empty());
    ASSERT_GE(session.mRoomTypes.size(), 2u);
    EXPECT_EQ(session.mRoomTypes[0].name, "全部区域");

    link.sentMsg(161, {session.ShowType, "0", "1", session.clerkNo, "", ""});
    ASSERT_TRUE(waitFor("roomStates"));
    auto& handle = SocketDataHandle::sharedInstance();
    EXPECT_GE(handle.tempRoomArray.size(), 60u);
    EXPECT_LE(handle.tempRoomArray.size(), 120u);
    // The counters add up to the rooms listed.
    std::int64_t total = 0;
    for (const auto* counter : {&handle.NullCount, &handle.LeadCount, &handle.ReserverCount, &handle.InCount,
                                &handle.SettleCount, &handle.RetainCount, &handle.MergerCount, &handle.BadCount})
        total += std::stoll(*counter);
    EXPECT_EQ(total, static_cast<std::int64_t>(handle.tempRoomArray.size()));

    const auto room = handle.tempRoomArray.front()->RoomNo;
    link.sentMsg(119, {room});
    ASSERT_TRUE(waitFor("roomStateAndInfo"));
    ASSERT_TRUE(receiver->room);
    EXPECT_TRUE(receiver->room->State());
    EXPECT_EQ(session.priceId, receiver->room->PriceID);
    EXPECT_TRUE(server->waitForLog("request 119", std::chrono::seconds(2)));
}

TEST_F(EndToEnd, LostLinkIsReconnectedAfterADelay)
{
    VenueServerOptions options;
    options.dropAfterReplies = 1;
    start(options);
    receiver->ownsReconnect = false; // a screen without the link callback
    auto& link = ServerNetworkCenter::sharedInstance();
    link.initConnect();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return link.isConnect(); }, 5.0));
    link.sentMsg(60, {});
    // The server answers once and drops the link; the dispatcher reconnects about a second later.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !link.isConnect(); }, 5.0));
    EXPECT_TRUE(SocketDataHandle::sharedInstance().reconnectPending());
    const auto dropped = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return link.isConnect(); }, 5.0));
    EXPECT_GE(std::chrono::steady_clock::now() - dropped, std::chrono::milliseconds(800));
    EXPECT_FALSE(SocketDataHandle::sharedInstance().reconnectPending());
}
