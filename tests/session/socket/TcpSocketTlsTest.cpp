#include "tests/session/socket/SocketTest.h"
#include "tests/session/socket/TestCertificates.h"

#include <gtest/gtest.h>

#include <fstream>
#include <signal.h>
#include <iterator>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A shell command of this test, in a process group of its own that is ended with it. The
// group is signalled before the child is reaped, so its number cannot have been reused.
class Child {
public:
    explicit Child(const std::string& command)
        : m_pid(::fork())
    {
        if (m_pid == 0) {
            ::setpgid(0, 0);
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~Child()
    {
        if (m_pid > 0) {
            ::kill(-m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

private:
    pid_t m_pid;
};

// The tool needs a moment before it listens; a plain connection that it drops tells when.
bool waitForListener(std::uint16_t port)
{
    const auto address = *SocketAddress::numeric("127.0.0.1", port);
    for (int i = 0; i < 100; ++i) {
        UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (::connect(fd.get(), address.data(), address.length()) == 0)
            return true;
        ::usleep(50'000);
    }
    return false;
}

std::string slurp(const std::string& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct TlsTest : LoopTest {
    TestCertificates certs;
    RecordingDelegate server;
    RecordingDelegate client;
    std::shared_ptr<TcpSocket> listener = TcpSocket::create(&server, 0, loop);
    std::shared_ptr<TcpSocket> socket = TcpSocket::create(&client, 0, loop);

    void SetUp() override { ASSERT_TRUE(certs.ok()); }
    TlsSettings serverSettings(const std::string& name) const
    {
        return {{TlsSettingKeys::IsServer, "1"},
                {TlsSettingKeys::CertificateChainFile, certs.file(name + ".pem")},
                {TlsSettingKeys::PrivateKeyFile, certs.file(name + ".key")}};
    }
    TlsSettings trustingTheTestCa() const { return {{TlsSettingKeys::TrustAnchorsFile, certs.ca()}}; }
    // An echo server of lines that starts TLS on each connection at once.
    void listenWithTls(const TlsSettings& tls)
    {
        server.onAccept = [tls](TcpSocket&, const std::shared_ptr<TcpSocket>& accepted) {
            accepted->startTLS(tls);
            accepted->readDataToData(TcpSocket::LFData(), 5.0, 0);
        };
        server.onRead = [](TcpSocket& accepted, const std::string& line) {
            accepted.writeData(bytes(line), 5.0, 0);
            accepted.readDataToData(TcpSocket::LFData(), 5.0, 0);
        };
        ASSERT_TRUE(listener->acceptOnInterface("localhost", 0));
    }
};

struct Handshake {
    const char* name;
    const char* serverCertificate; // empty: a server without one
    const char* host;
    TlsSettings clientKeys;         // "CA" stands for the test CA's file
    bool secured;
};
// Printed by name in test listings and failures.
inline void PrintTo(const Handshake& row, std::ostream* out) { *out << row.name; }

struct TlsHandshakes : TlsTest, ::testing::WithParamInterface<Handshake> {};

} // namespace

TEST_P(TlsHandshakes, TheClientChecksWhatItIsToldToCheck)
{
    const auto& c = GetParam();
    listenWithTls(*c.serverCertificate ? serverSettings(c.serverCertificate)
                                       : TlsSettings {{TlsSettingKeys::IsServer, "1"}});
    TlsSettings keys = c.clientKeys;
    for (auto& [key, value] : keys) {
        if (value == "CA")
            value = certs.ca();
    }
    ASSERT_TRUE(socket->connectToHost(c.host, listener->localPort(), 2.0));
    socket->startTLS(keys);
    socket->writeData(bytes("ping\n"), 5.0, 1);
    socket->readDataToData(TcpSocket::LFData(), 5.0, 2);
    ASSERT_TRUE(runUntil([&] { return !client.reads.empty() || client.disconnected(); }));
    if (c.secured) {
        EXPECT_EQ(client.reads, std::vector<std::string> {"ping\n"});
        EXPECT_EQ(client.count("didSecure"), 1);
        EXPECT_EQ(server.count("didSecure"), 1);
        return;
    }
    EXPECT_EQ(client.count("didSecure"), 0);
    ASSERT_TRUE(client.disconnectError);
    if (*c.serverCertificate) {
        EXPECT_EQ(client.disconnectError->domain, "kCFStreamErrorDomainSSL");
        EXPECT_NE(client.disconnectError->description.find("certificate verify failed"), std::string::npos)
            << client.disconnectError->description;
    } else {
        EXPECT_EQ(server.count("willDisconnect TcpSocketErrorDomain -1"), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Loopback, TlsHandshakes,
    ::testing::Values(
        Handshake {"TrustedByAddress", "server", "127.0.0.1", {{TlsSettingKeys::TrustAnchorsFile, "CA"}}, true},
        Handshake {"TrustedByName", "server", "localhost", {{TlsSettingKeys::TrustAnchorsFile, "CA"}}, true},
        Handshake {"SelfSignedWithDefaults", "self", "127.0.0.1", {}, false},
        Handshake {"SelfSignedAnyRoot", "self", "127.0.0.1", {{TlsSettingKeys::AllowsAnyRoot, "1"}}, true},
        Handshake {"WrongName", "server", "127.0.0.1",
                   {{TlsSettingKeys::TrustAnchorsFile, "CA"}, {TlsSettingKeys::PeerName, "venue.example"}}, false},
        Handshake {"AddressNotInCertificate", "nameonly", "127.0.0.1", {{TlsSettingKeys::TrustAnchorsFile, "CA"}},
                   false},
        Handshake {"ValidationOff", "self", "127.0.0.1", {{TlsSettingKeys::ValidatesCertificateChain, "0"}}, true},
        Handshake {"ServerWithoutCertificate", "", "127.0.0.1", {{TlsSettingKeys::TrustAnchorsFile, "CA"}}, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(TlsTest, PlainLineFirstThenTlsWithTheHandshakeAlreadyReadAhead)
{
    const auto serverTls = serverSettings("server");
    server.onAccept = [&](TcpSocket&, const std::shared_ptr<TcpSocket>& accepted) {
        // Late on purpose: the client's hello is there by then, and the line read takes it too.
        std::weak_ptr<TcpSocket> weak = accepted;
        loop.perform([weak] {
            if (auto s = weak.lock())
                s->readDataToData(TcpSocket::CRLFData(), 5.0, 0);
        }, 0.2);
    };
    server.onRead = [&](TcpSocket& accepted, const std::string& line) {
        if (line == "STARTTLS\r\n")
            accepted.startTLS(serverTls);
        else
            accepted.writeData(bytes(line), 5.0, 0);
        accepted.readDataToData(TcpSocket::CRLFData(), 5.0, 0);
    };
    ASSERT_TRUE(listener->acceptOnInterface("127.0.0.1", 0));
    ASSERT_TRUE(socket->connectToHost("127.0.0.1", listener->localPort(), 2.0));
    socket->writeData(bytes("STARTTLS\r\n"), 5.0, 1);
    socket->startTLS(trustingTheTestCa());
    socket->writeData(bytes("secret\r\n"), 5.0, 2);
    socket->readDataToData(TcpSocket::CRLFData(), 5.0, 3);
    ASSERT_TRUE(runUntil([&] { return !client.reads.empty() || client.disconnected(); }));
    EXPECT_EQ(client.reads, std::vector<std::string> {"secret\r\n"});
    EXPECT_EQ(server.reads, (std::vector<std::string> {"STARTTLS\r\n", "secret\r\n"}));

    // Asked again on a secured connection, it is secure at once: nothing waits for the peer.
    socket->startTLS(trustingTheTestCa());
    socket->writeData(bytes("again\r\n"), 5.0, 4);
    socket->readDataToData(TcpSocket::CRLFData(), 5.0, 5);
    ASSERT_TRUE(runUntil([&] { return client.reads.size() == 2 || client.disconnected(); }, 2.0));
    EXPECT_EQ(client.reads, (std::vector<std::string> {"secret\r\n", "again\r\n"}));
    EXPECT_EQ(client.count("didSecure"), 2);
}

TEST_F(TlsTest, AStalledHandshakeEndsWhenTheFirstOperationWaitingBehindItWouldTimeOut)
{
    // A silent server, and one that sends a record header and no more; the shorter timeout on the
    // read queued behind the handshake, or on the write when no read is queued.
    const std::string header("\x16\x03\x03\x00\x40", 5);
    for (const auto& [stall, shortRead] : {std::pair {std::string(), true}, {header, true}, {std::string(), false}}) {
        SCOPED_TRACE(!stall.empty() ? "header" : shortRead ? "silent" : "silent, only a write queued");
        LoopbackPeer peer;
        RecordingDelegate stalled;
        auto s = TcpSocket::create(&stalled, 0, loop);
        ASSERT_TRUE(s->connectToHost(peer.host(), peer.port(), 2.0));
        s->startTLS(trustingTheTestCa());
        s->writeData(bytes("ping\n"), shortRead ? 5.0 : 0.3, 1);
        if (shortRead)
            s->readDataToData(TcpSocket::LFData(), 0.3, 2);
        ASSERT_TRUE(runUntil([&] { return peer.connectionCount() == 1; }));
        if (!stall.empty())
            peer.send(stall);
        ASSERT_TRUE(runUntil([&] { return stalled.disconnected(); }, 2.0));
        EXPECT_EQ(stalled.count("willDisconnect TcpSocketErrorDomain 6"), 1);
    }
}

TEST_F(TlsTest, AMegabyteGoesThroughAndAResetPeerIsAnErrorNotASignal)
{
    server.onAccept = [&](TcpSocket&, const std::shared_ptr<TcpSocket>& accepted) {
        accepted->startTLS(serverSettings("server"));
        accepted->readDataToLength(1 << 20, 10.0, 0);
    };
    ASSERT_TRUE(listener->acceptOnInterface("127.0.0.1", 0));
    ASSERT_TRUE(socket->connectToHost("127.0.0.1", listener->localPort(), 2.0));
    socket->startTLS(trustingTheTestCa());
    std::string megabyte(1 << 20, '\0');
    for (std::size_t i = 0; i < megabyte.size(); ++i)
        megabyte[i] = static_cast<char>(i * 7 % 251);
    socket->writeData(bytes(megabyte), 10.0, 1);
    ASSERT_TRUE(runUntil([&] { return !server.reads.empty() || client.disconnected(); }, 20.0));
    ASSERT_EQ(server.reads.size(), 1u) << ::testing::PrintToString(client.log);
    EXPECT_TRUE(server.reads[0] == megabyte);

    // One record read in two parts: the second part waits inside the TLS layer, not in the
    // connection, and is there all the same.
    server.accepted[0]->writeData(bytes(megabyte.substr(0, 1000)), 5.0, 0);
    socket->readDataToLength(100, 5.0, 3);
    socket->readDataToLength(900, 5.0, 4);
    ASSERT_TRUE(runUntil([&] { return client.reads.size() == 2; }));
    EXPECT_TRUE(client.reads[0] + client.reads[1] == megabyte.substr(0, 1000));

    // The server side goes; its system resets what the client sends after, and the client's
    // writes fail with the system's reason instead of a SIGPIPE.
    server.accepted[0]->disconnect();
    for (int i = 0; i < 8; ++i)
        socket->writeData(bytes(megabyte), 10.0, 2);
    ASSERT_TRUE(runUntil([&] { return client.disconnected(); }));
    ASSERT_TRUE(client.disconnectError);
    EXPECT_EQ(client.disconnectError->domain, "NSPOSIXErrorDomain");
}

TEST_F(TlsTest, OurClientTalksToTheOpensslServer)
{
    const auto port = LoopbackPeer::freePort();
    Child tool("exec timeout 20 openssl s_server -quiet -rev -accept 127.0.0.1:" + std::to_string(port)
               + " -cert " + certs.file("server.pem") + " -key " + certs.file("server.key") + " >/dev/null 2>&1");
    ASSERT_TRUE(waitForListener(port));
    ASSERT_TRUE(socket->connectToHost("localhost", port, 2.0));
    socket->startTLS(trustingTheTestCa());
    socket->writeData(bytes("hello\n"), 5.0, 1);
    socket->readDataToData(TcpSocket::LFData(), 5.0, 2);
    ASSERT_TRUE(runUntil([&] { return !client.reads.empty(); }, 10.0)) << ::testing::PrintToString(client.log);
    EXPECT_NE(client.reads[0].find("olleh"), std::string::npos) << client.reads[0];
}

TEST_F(TlsTest, TheOpensslClientTalksToOurServer)
{
    listenWithTls(serverSettings("server"));
    const std::string out = certs.file("client.out");
    Child tool("(printf 'ping\\n'; sleep 3) | timeout 10 openssl s_client -quiet -verify_return_error -connect "
               "127.0.0.1:" + std::to_string(listener->localPort()) + " -CAfile " + certs.ca()
               + " -verify_hostname localhost > " + out + " 2>/dev/null");
    EXPECT_TRUE(runUntil([&] { return slurp(out).find("ping") != std::string::npos; }, 10.0));
    EXPECT_EQ(server.reads, std::vector<std::string> {"ping\n"});
}
