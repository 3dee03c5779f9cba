// The session core against the venue server on loopback: the connection, the dispatcher and a
// receiver standing in for the screens. The start-up road itself is driven through the screens in
// the rooms tests.
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"
#include "tests/session/dispatcher/RecordingReceiver.h"
#include "tests/support/TestEnvironment.h"
#include "tools/venue-sim/VenueServerThread.h"

#include <gtest/gtest.h>


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

    ScopedDataFolder data;
    std::unique_ptr<VenueServerThread> server;
    std::shared_ptr<RecordingReceiver> receiver = std::make_shared<RecordingReceiver>();
};

} // namespace

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
