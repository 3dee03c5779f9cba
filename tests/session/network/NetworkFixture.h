#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "session/ClientNetworkCenter.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"
#include "session/VenueMessage.h"
#include "tests/platform/net/peer/LoopbackPeer.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// Fresh connections, session state and main run loop for every test, with every notice of the
// session state written down.
class NetworkFixture : public ::testing::Test {
protected:
    ScopedDataFolder folder;
    LogCapture logs;
    std::vector<std::pair<std::string, std::string>> notices;
    std::function<void(const std::string& code, const std::string& detail)> onNotice;
    NotificationCenter::Token token;

    void SetUp() override
    {
        RunLoop::main().reset();
        token = NotificationCenter::defaultCenter().addObserver(DataCenter::kNotificationName,
                                                                 [this](const Notification& n) {
            notices.emplace_back(n.stringForKey("code"), n.stringForKey("detail"));
            if (onNotice)
                onNotice(notices.back().first, notices.back().second);
        });
    }
    void TearDown() override
    {
        token.reset();
        ServerNetworkCenter::resetForTesting();
        ClientNetworkCenter::resetForTesting();
        SocketDataHandle::resetForTesting();
        DataCenter::resetForTesting();
        RunLoop::main().reset();
    }

    static ServerNetworkCenter& server() { return ServerNetworkCenter::sharedInstance(); }
    static ClientNetworkCenter& client() { return ClientNetworkCenter::sharedInstance(); }

    void pointAt(const std::string& host, const std::string& port)
    {
        UserDefaults::standard().setObject("Server_Ip", host);
        UserDefaults::standard().setObject("Server_Port", port);
    }
    void pointAt(const LoopbackPeer& peer) { pointAt(peer.host(), std::to_string(peer.port())); }

    bool runUntil(const std::function<bool()>& done, double timeout = 5.0)
    {
        return RunLoop::main().runUntil(done, timeout);
    }
    void runFor(double seconds)
    {
        RunLoop::main().runUntil([] { return false; }, seconds);
    }
    int count(const std::string& code, const std::string& detail = {}) const
    {
        int n = 0;
        for (const auto& [c, d] : notices)
            n += c == code && (detail.empty() || d == detail);
        return n;
    }
    std::vector<std::string> replies() const
    {
        std::vector<std::string> texts;
        for (const auto& [c, d] : notices) {
            if (c == "tcpMsg")
                texts.push_back(d);
        }
        return texts;
    }
    // A reply as the server sends it, and its text as the session state receives it.
    static std::string frame(const std::string& body) { return VenueMessage::buildFrame(body).value(); }
    static std::string text(const std::string& body) { return VenueMessage::decodeFrame(frame(body)).value(); }
    // The server link, or the secondary one, driven alike.
    void connectTo(LoopbackPeer& peer, bool secondary)
    {
        secondary ? client().connectToServerWithIp(peer.host(), peer.port()) : (pointAt(peer), server().initConnect());
    }
    static bool linkUp(bool secondary) { return secondary ? client().isConnect() : server().isConnect(); }
    static void request(bool secondary) { secondary ? client().sentMsg(161, {"0", "25", "1"}) : (void)server().sentMsg(161, {"0", "25", "1"}); }
    static std::uint64_t bytesRead(bool secondary) { return secondary ? client().bytesRead() : server().bytesRead(); }
    int losses(bool secondary) const { return count("sysMsg", secondary ? "clientDidDisconnect" : "serverDidDisconnect"); }
    void connectServer(LoopbackPeer& peer)
    {
        pointAt(peer);
        server().initConnect();
        ASSERT_TRUE(runUntil([&] { return server().isConnect() && peer.connectionCount() > 0; }));
    }
};
