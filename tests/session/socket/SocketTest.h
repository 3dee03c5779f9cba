#pragma once

#include "tests/platform/net/peer/LoopbackPeer.h"
#include "tests/session/socket/RecordingDelegate.h"

#include <gtest/gtest.h>

// A name the resolver refuses before asking any name server (its first label is longer than 63
// bytes), so lookup failures are tested without a query leaving the machine.
inline const std::string UnresolvableHost = std::string(64, 'x') + ".invalid";

inline std::vector<std::uint8_t> bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// A run loop of the test's own.
struct LoopTest : ::testing::Test {
    RunLoop loop;

    bool runUntil(const std::function<bool()>& done, double timeout = 5.0,
                  const RunLoopMode& mode = RunLoopModes::Default)
    {
        return loop.runUntil(done, timeout, mode);
    }
    void runPasses(int passes)
    {
        for (int i = 0; i < passes; ++i)
            loop.runOnce(RunLoopModes::Default, 0.01);
    }
};

// One TCP socket on it, every callback written down.
struct SocketTest : LoopTest {
    RecordingDelegate delegate;
    std::shared_ptr<TcpSocket> socket = TcpSocket::create(&delegate, 0, loop);
};
