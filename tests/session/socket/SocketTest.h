#pragma once

#include "tests/platform/net/peer/LoopbackPeer.h"
#include "tests/session/socket/RecordingDelegate.h"

#include <gtest/gtest.h>

inline std::vector<std::uint8_t> bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// A loopback port nothing listens on any more.
inline std::uint16_t closedPort()
{
    LoopbackPeer gone;
    return gone.port();
}

// One TCP socket on a loop of the test's own, every callback written down.
struct SocketTest : ::testing::Test {
    RunLoop loop;
    RecordingDelegate delegate;
    std::shared_ptr<TcpSocket> socket = TcpSocket::create(&delegate, 0, loop);

    bool runUntil(const std::function<bool()>& done, double timeout = 5.0) { return loop.runUntil(done, timeout); }
    void runPasses(int passes)
    {
        for (int i = 0; i < passes; ++i)
            loop.runOnce(RunLoopModes::Default, 0.01);
    }
};
