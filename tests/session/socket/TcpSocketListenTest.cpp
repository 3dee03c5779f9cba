#include "tests/session/socket/SocketTest.h"
#include "tests/support/TestEnvironment.h"

#include "platform/foundation/Log.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ListenTest : LoopTest {
    RecordingDelegate delegate;
    RecordingDelegate clientDelegate;
    std::shared_ptr<TcpSocket> listener = TcpSocket::create(&delegate, 0, loop);
    std::vector<std::shared_ptr<TcpSocket>> clients;

    TcpSocket& connectClient(const std::string& host, std::uint16_t port)
    {
        clients.push_back(TcpSocket::create(&clientDelegate, 0, loop));
        EXPECT_TRUE(clients.back()->connectToHost(host, port, 2.0));
        return *clients.back();
    }
};

struct Interface {
    const char* name;
    std::optional<std::string> text;
    const char* local4;
    const char* local6;
};
// Printed by name in test listings and failures.
inline void PrintTo(const Interface& row, std::ostream* out) { *out << row.name; }

struct ListenInterfaces : ListenTest, ::testing::WithParamInterface<Interface> {};

} // namespace

TEST_P(ListenInterfaces, BothFamiliesListenOnOnePortAndAcceptedSocketsConnect)
{
    ASSERT_TRUE(listener->acceptOnInterface(GetParam().text, 0));
    EXPECT_EQ(*listener->localHost4(), GetParam().local4);
    EXPECT_EQ(*listener->localHost6(), GetParam().local6);
    const auto port = listener->localPort4();
    EXPECT_NE(port, 0);
    EXPECT_EQ(listener->localPort6(), port);
    EXPECT_THROW(listener->acceptOnPort(0), TcpSocketException);

    connectClient("127.0.0.1", port);
    ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 1; }));
    connectClient("::1", port);
    ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 2 && clientDelegate.count("didConnect") == 2; }));
    EXPECT_EQ(delegate.log, (std::vector<std::string> {"didAccept", "willConnect",
                                                       "didConnect 127.0.0.1 " + std::to_string(clients[0]->localPort()),
                                                       "didAccept", "willConnect",
                                                       "didConnect ::1 " + std::to_string(clients[1]->localPort())}));
    ASSERT_EQ(delegate.accepted.size(), 2u);
    EXPECT_TRUE(delegate.accepted[0]->isIPv4());
    EXPECT_TRUE(delegate.accepted[1]->isIPv6());

    // The accepted side talks like any connected socket.
    delegate.accepted[1]->writeData(std::vector<std::uint8_t> {'o', 'k'}, 1.0, 3);
    clients[1]->readDataToLength(2, 2.0, 4);
    ASSERT_TRUE(runUntil([&] { return !clientDelegate.reads.empty(); }));
    EXPECT_EQ(clientDelegate.reads[0], "ok");

    listener->disconnect();
    EXPECT_TRUE(listener->isDisconnected());
    EXPECT_EQ(delegate.log.back(), "didDisconnect");
}

INSTANTIATE_TEST_SUITE_P(Loopback, ListenInterfaces,
                         ::testing::Values(Interface {"Wildcard", std::nullopt, "0.0.0.0", "::"},
                                           Interface {"Empty", "", "0.0.0.0", "::"},
                                           Interface {"Localhost", "localhost", "127.0.0.1", "::1"},
                                           Interface {"Loopback", "loopback", "127.0.0.1", "::1"}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ListenTest, FailuresLeaveTheSocketIdleWithTheReason)
{
    LoopbackPeer taken;
    struct Case {
        std::string interface;
        std::uint16_t port;
        const char* domain;
    };
    const Case cases[] = {
        {"127.0.0.1", taken.port(), "NSPOSIXErrorDomain"},
        {UnresolvableHost, 0, "kCFStreamErrorDomainNetDB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.interface);
        SocketError error;
        EXPECT_FALSE(listener->acceptOnInterface(c.interface, c.port, &error));
        EXPECT_EQ(error.domain, c.domain);
        EXPECT_FALSE(error.description.empty());
        EXPECT_TRUE(listener->isDisconnected());
        EXPECT_EQ(listener->flags(), TcpSocket::kEnablePreBuffering);
    }
    auto orphan = TcpSocket::create(nullptr, 0, loop);
    EXPECT_THROW(orphan->acceptOnPort(0), TcpSocketException);
    EXPECT_TRUE(delegate.log.empty());
}

TEST_F(ListenTest, TheDelegateMayDropTheListenerOrTheNewSocketInsideTheAccept)
{
    struct Case {
        const char* name;
        bool keep;
        bool closeNew;
        bool closeListener;
    };
    const Case cases[] = {
        {"not kept", false, false, false},
        {"new socket closed", true, true, false},
        {"listener closed", true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        delegate = RecordingDelegate();
        clientDelegate = RecordingDelegate();
        delegate.keepAccepted = c.keep;
        delegate.onAccept = [&](TcpSocket& from, const std::shared_ptr<TcpSocket>& socket) {
            if (c.closeNew)
                socket->disconnect();
            if (c.closeListener)
                from.disconnect();
        };
        ASSERT_TRUE(listener->acceptOnInterface("127.0.0.1", 0));
        auto& client = connectClient("127.0.0.1", listener->localPort());
        client.readDataWithTimeout(-1, 0);
        if (c.closeListener) {
            // The new socket carries on without its listener.
            ASSERT_TRUE(runUntil([&] { return delegate.count("didConnect") == 1; }));
            EXPECT_TRUE(listener->isDisconnected());
        } else {
            ASSERT_TRUE(runUntil([&] { return clientDelegate.disconnected(); }));
            EXPECT_EQ(clientDelegate.count("willDisconnect null"), 1);
            EXPECT_EQ(delegate.count("didConnect"), 0);
            EXPECT_EQ(delegate.count("didAccept"), 1);
        }
        listener->disconnect();
        clients.clear();
    }
}

TEST_F(ListenTest, ANewSocketRunsOnTheLoopTheDelegateNames)
{
    RunLoop other; // outlives the sockets attached to it
    // The accept comes on this thread, the connect on the worker; the test reads what the
    // worker wrote only after joining it.
    struct ThreadDelegate : TcpSocketDelegate {
        RunLoop* other = nullptr;
        std::vector<std::shared_ptr<TcpSocket>> accepted;
        std::thread::id connectThread;
        void onSocketDidAcceptNewSocket(TcpSocket&, const std::shared_ptr<TcpSocket>& socket) override
        {
            accepted.push_back(socket);
        }
        RunLoop* onSocketWantsRunLoopForNewSocket(TcpSocket&, TcpSocket&) override { return other; }
        void onSocketDidConnectToHost(TcpSocket& socket, const std::string&, std::uint16_t) override
        {
            connectThread = std::this_thread::get_id();
            socket.writeData(std::vector<std::uint8_t> {'h', 'i'}, 1.0, 0);
        }
    } threadDelegate;
    threadDelegate.other = &other;
    std::thread worker([&] { other.run(); });
    const auto workerId = worker.get_id();

    auto server = TcpSocket::create(&threadDelegate, 0, loop);
    ASSERT_TRUE(server->acceptOnInterface("localhost", 0));
    auto& client = connectClient("127.0.0.1", server->localPort());
    client.readDataToLength(2, 3.0, 1);
    const bool read = runUntil([&] { return !clientDelegate.reads.empty(); });
    other.post([&] { other.stop(); });
    worker.join();
    ASSERT_TRUE(read);
    EXPECT_EQ(clientDelegate.reads[0], "hi");
    EXPECT_EQ(threadDelegate.connectThread, workerId);
}

// Runs in a child process: it lowers the descriptor limit for itself alone.
static int exhaustDescriptorsWhileAccepting()
{
    const rlimit limit {64, 64};
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 10;
    LogCapture capture;
    RunLoop loop;
    RecordingDelegate delegate;
    auto listener = TcpSocket::create(&delegate, 0, loop);
    if (!listener->acceptOnInterface("127.0.0.1", 0))
        return 11;
    // The sanitizers need descriptors of their own the first time they meet a dynamic type: a
    // whole accept, and a line of log, beforehand let them meet every one met below.
    const auto address = *SocketAddress::numeric("127.0.0.1", listener->localPort());
    auto connectOne = [&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(fd, address.data(), address.length());
        return fd;
    };
    ::close(connectOne());
    if (!loop.runUntil([&] { return delegate.count("didConnect") == 1; }, 3.0))
        return 12;
    delegate.accepted.clear();
    NSLog("filling the descriptor table");
    connectOne();
    std::vector<int> fillers;
    for (int fd; fillers.size() < 128 && (fd = ::open("/dev/null", O_RDONLY)) >= 0;)
        fillers.push_back(fd);
    int passes = 0;
    loop.runUntil([&] { return ++passes < 0; }, 0.6);
    if (delegate.count("didAccept") != 1)
        return 16;
    if (!capture.contains("couldn't accept a connection"))
        return 13;
    if (passes > 200) // a spinning loop turns many thousand times in that while
        return 14;
    for (int fd : fillers)
        ::close(fd);
    return loop.runUntil([&] { return delegate.count("didConnect") == 2; }, 3.0) ? 0 : 15;
}

TEST(TcpSocketListen, RunningOutOfDescriptorsRestsAcceptingAndResumes)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(15); // a child that hangs ends itself
        ::_exit(exhaustDescriptorsWhileAccepting());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child did not finish";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
