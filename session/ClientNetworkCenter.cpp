#include "session/ClientNetworkCenter.h"

#include "platform/foundation/Log.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"
#include "session/VenueFrameWriter.h"
#include "session/VenueMessage.h"

namespace {

ClientNetworkCenter*& instance()
{
    static ClientNetworkCenter* shared = nullptr;
    return shared;
}

std::string hexOf(std::span<const std::uint8_t> bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

} // namespace

ClientNetworkCenter& ClientNetworkCenter::sharedInstance()
{
    if (!instance())
        instance() = new ClientNetworkCenter();
    return *instance();
}

void ClientNetworkCenter::resetForTesting()
{
    delete instance();
    instance() = nullptr;
}

ClientNetworkCenter::~ClientNetworkCenter()
{
    cancelRetry();
}

void ClientNetworkCenter::cancelRetry()
{
    if (m_retryTimer)
        m_retryTimer->invalidate();
    m_retryTimer.reset();
}

void ClientNetworkCenter::connectToServerWithIp(const std::string& host, int port)
{
    m_lastConnectIp = host;
    m_lastConnectPort = port;
    cancelRetry();
    if (ServerNetworkCenter::sharedInstance().isConnect())
        ServerNetworkCenter::sharedInstance().disconnectToServer();
    if (m_isConnect)
        disconnectToServer();
    m_watchdog.stop();
    DataCenter::sharedInstance().awaitedReplies.clear();
    m_receiveData.clear();
    m_bytesRead = 0;
    m_dataOffset = 0;
    m_mainSocket = TcpSocket::create(this);
    NSLog("trying to connect server ip: %s, port: %i", host.c_str(), port);
    if (host.empty() || port < 1 || port > 65535) {
        NSLog("no usable address for the secondary link");
        NSLog("Fail to develop connection");
        return;
    }
    if (!m_mainSocket->connectToHost(host, static_cast<std::uint16_t>(port), kConnectTimeout))
        NSLog("Fail to develop connection");
}

void ClientNetworkCenter::retryConnectLastConnection()
{
    m_retryTimer.reset();
    connectToServerWithIp(m_lastConnectIp, m_lastConnectPort);
}

void ClientNetworkCenter::disconnectToServer()
{
    cancelRetry();
    if (!m_mainSocket)
        return;
    // The disconnect event comes before disconnect() returns.
    m_disconnectRequested = true;
    auto socket = m_mainSocket;
    socket->disconnect();
    m_disconnectRequested = false;
}

void ClientNetworkCenter::sentMsgAskForBillList()
{
    sentMsg(VenueCommand::BillList, {"0", "0"});
}

void ClientNetworkCenter::sentMsg(std::string_view body)
{
    writeFrame(VenueMessage::buildFrame(body));
}

void ClientNetworkCenter::sentMsg(int command, const std::vector<std::string>& fields)
{
    if (writeFrame(VenueMessage::fieldListFrame(command, fields)) && SocketDataHandle::handlesCommand(command)) {
        m_watchdog.requestSent();
        DataCenter::sharedInstance().awaitedReplies.requestSent(command);
    }
}

bool ClientNetworkCenter::writeFrame(const std::optional<std::string>& frame)
{
    return writeVenueFrame(m_mainSocket.get(), frame, kWriteTimeout, "request not sent: the secondary link is down");
}

void ClientNetworkCenter::linkWentQuiet(const char* reason)
{
    if (!m_mainSocket)
        return;
    NSLog("dropping the secondary link: %s", reason);
    auto socket = m_mainSocket; // the disconnect event releases it
    socket->disconnect();
}

void ClientNetworkCenter::onSocketDidConnectToHost(TcpSocket& socket, const std::string&, std::uint16_t)
{
    if (&socket != m_mainSocket.get())
        return;
    NSLog("did connect to server");
    DataCenter::sharedInstance().forwardNoticeCode("sysMsg", "clientConnected");
    if (&socket != m_mainSocket.get())
        return;
    readMore(socket);
    m_isConnect = true;
    m_isStopRetry = false;
}

void ClientNetworkCenter::onSocketDidReadData(TcpSocket& socket, std::span<const std::uint8_t> data, std::int64_t)
{
    if (&socket != m_mainSocket.get())
        return;
    m_bytesRead += data.size();
    m_receiveData.append(data);
    handOnFrames(socket, data);
}

void ClientNetworkCenter::onSocketDidWriteDataWithTag(TcpSocket& socket, std::int64_t)
{
    if (&socket == m_mainSocket.get() && m_watchdog.wasBehind() && !m_watchdog.isBehind(socket.writeBacklog()))
        handOnFrames(socket, {});
}

void ClientNetworkCenter::handOnFrames(TcpSocket& socket, std::span<const std::uint8_t> data)
{
    const auto drained = m_receiveData.deliverFrames(
        [&](std::string_view text) {
            NSLog("clientNetWork have receive msg:%.*s", static_cast<int>(text.size()), text.data());
            m_watchdog.frameArrived();
            DataCenter::sharedInstance().forwardNoticeCode("tcpMsg", text);
            return &socket == m_mainSocket.get() && !socket.isDisconnected()
                && !m_watchdog.isBehind(socket.writeBacklog());
        },
        [&](FrameReceiver::Outcome outcome, std::size_t) {
            if (outcome == FrameReceiver::Outcome::BadCheck)
                NSLog("error wrong key again length: %zu and data: %s", data.size(), hexOf(data).c_str());
        });
    if (drained.stop == FrameReceiver::Stop::Corrupt) {
        NSLog("dropping the secondary link: %zu received bytes do not start with a frame length", drained.discarded);
        socket.disconnect();
        return;
    }
    if (&socket != m_mainSocket.get() || socket.isDisconnected())
        return;
    readMore(socket);
}

void ClientNetworkCenter::readMore(TcpSocket& socket)
{
    // As on the main link: the rest waits unread, in the system, until the writes catch up.
    if (m_watchdog.isBehind(socket.writeBacklog()))
        return;
    if (m_receiveData.buffered() > 0)
        NSLog("数据接收不完整，等待内容");
    m_watchdog.bytesConsumed(m_receiveData.buffered() > 0);
    socket.readDataWithTimeout(-1, 0);
}

void ClientNetworkCenter::onSocketDidDisconnect(TcpSocket& socket)
{
    if (&socket != m_mainSocket.get())
        return;
    const bool requested = m_disconnectRequested;
    m_watchdog.stop();
    DataCenter::sharedInstance().awaitedReplies.clear();
    NSLog("did disconnect already");
    DataCenter::sharedInstance().forwardNoticeCode("sysMsg", "clientDidDisconnect");
    m_isConnect = false;
    if (&socket != m_mainSocket.get())
        return; // an observer has already started another connection
    m_mainSocket.reset(); // the socket keeps itself alive until this event has been handled
    if (m_isStopRetry || requested)
        return;
    cancelRetry();
    m_retryTimer = NSTimer::scheduledTimerWithTimeInterval(kRetryDelay, false, [](NSTimer&) {
        if (instance())
            instance()->retryConnectLastConnection();
    });
}
