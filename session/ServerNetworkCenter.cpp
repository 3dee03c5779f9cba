#include "session/ServerNetworkCenter.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "session/ClientNetworkCenter.h"
#include "session/DataCenter.h"
#include "session/SocketDataHandle.h"
#include "session/VenueFrameWriter.h"
#include "session/VenueMessage.h"

namespace {

ServerNetworkCenter*& instance()
{
    static ServerNetworkCenter* shared = nullptr;
    return shared;
}

} // namespace

ServerNetworkCenter& ServerNetworkCenter::sharedInstance()
{
    if (!instance())
        instance() = new ServerNetworkCenter();
    return *instance();
}

void ServerNetworkCenter::resetForTesting()
{
    delete instance();
    instance() = nullptr;
}

void ServerNetworkCenter::initConnect()
{
    if (ClientNetworkCenter::sharedInstance().isConnect())
        ClientNetworkCenter::sharedInstance().disconnectToServer();
    ++m_connectAttempts;
    m_watchdog.stop();
    DataCenter::sharedInstance().awaitedReplies.clear();
    m_receiveData.clear();
    m_bytesRead = 0;
    m_dataOffset = 0;
    // The socket being replaced is released silently. When this runs inside that socket's own
    // disconnect event, the socket keeps itself alive until the event has been handled.
    m_mainSocket = TcpSocket::create(this);

    const auto host = UserDefaults::standard().stringForKey("Server_Ip");
    const auto port = UserDefaults::standard().integerForKey("Server_Port");
    NSLog("trying to connect server ip: %s, port: %lld", host.value_or("(null)").c_str(), static_cast<long long>(port));
    if (!host || host->empty()) {
        NSLog("no server address in the settings");
        NSLog("Fail to develop connection");
        return;
    }
    if (port < 1 || port > 65535) {
        NSLog("server port %lld is outside 1 to 65535", static_cast<long long>(port));
        NSLog("Fail to develop connection");
        return;
    }
    if (!m_mainSocket->connectToHost(*host, static_cast<std::uint16_t>(port), kConnectTimeout))
        NSLog("Fail to develop connection");
}

bool ServerNetworkCenter::getConnected() const
{
    return m_mainSocket && m_mainSocket->isConnected();
}

void ServerNetworkCenter::disconnectToServer()
{
    if (m_mainSocket)
        m_mainSocket->disconnect();
}

void ServerNetworkCenter::sentMsg(std::string_view body)
{
    writeFrame(VenueMessage::buildFrame(body));
}

bool ServerNetworkCenter::sentMsg(int command, const std::vector<std::string>& fields)
{
    return writeRequest(command, VenueMessage::fieldListFrame(command, fields));
}

void ServerNetworkCenter::sendMsg(int command, const std::vector<std::string>& fields)
{
    writeRequest(command, VenueMessage::arrayFrame(command, fields));
}

bool ServerNetworkCenter::writeRequest(int command, const std::optional<std::string>& frame)
{
    if (!writeFrame(frame))
        return false;
    if (SocketDataHandle::handlesCommand(command)) {
        m_watchdog.requestSent();
        DataCenter::sharedInstance().awaitedReplies.requestSent(command);
    }
    return true;
}

bool ServerNetworkCenter::writeFrame(const std::optional<std::string>& frame)
{
    return writeVenueFrame(m_mainSocket.get(), frame, kWriteTimeout, "request not sent: no link to the server");
}

void ServerNetworkCenter::linkWentQuiet(const char* reason)
{
    if (!m_mainSocket)
        return;
    NSLog("dropping the link to the server: %s", reason);
    auto socket = m_mainSocket; // the disconnect event may replace it
    socket->disconnect();
}

void ServerNetworkCenter::onSocketDidConnectToHost(TcpSocket& socket, const std::string&, std::uint16_t)
{
    if (&socket != m_mainSocket.get())
        return;
    NSLog("did connect to server");
    DataCenter::sharedInstance().forwardNoticeCode("sysMsg", "serverConnected");
    if (&socket != m_mainSocket.get())
        return; // an observer started another connection
    readMore(socket);
    m_isConnect = true;
}

void ServerNetworkCenter::onSocketDidReadData(TcpSocket& socket, std::span<const std::uint8_t> data, std::int64_t)
{
    if (&socket != m_mainSocket.get())
        return;
    m_bytesRead += data.size();
    m_receiveData.append(data);
    handOnFrames(socket);
}

void ServerNetworkCenter::onSocketDidWriteDataWithTag(TcpSocket& socket, std::int64_t)
{
    if (&socket == m_mainSocket.get() && m_watchdog.wasBehind() && !m_watchdog.isBehind(socket.writeBacklog()))
        handOnFrames(socket);
}

void ServerNetworkCenter::handOnFrames(TcpSocket& socket)
{
    // A wrong CRC or text that is not GB18030 is dropped without a word to the server.
    const auto drained = m_receiveData.deliverFrames([&](std::string_view text) {
        m_watchdog.frameArrived();
        DataCenter::sharedInstance().forwardNoticeCode("tcpMsg", text);
        // The notice may have reconnected or disconnected; the rest then belongs to no one.
        return &socket == m_mainSocket.get() && !socket.isDisconnected() && !m_watchdog.isBehind(socket.writeBacklog());
    });
    if (drained.stop == FrameReceiver::Stop::Corrupt) {
        NSLog("dropping the link: %zu received bytes do not start with a frame length", drained.discarded);
        socket.disconnect();
        return;
    }
    if (&socket != m_mainSocket.get() || socket.isDisconnected())
        return;
    readMore(socket);
}

void ServerNetworkCenter::readMore(TcpSocket& socket)
{
    // Replies that each ask for a request could otherwise pile the requests up here faster
    // than the peer takes them: the rest waits unread, in the system, until the writes catch up.
    if (m_watchdog.isBehind(socket.writeBacklog()))
        return;
    m_watchdog.bytesConsumed(m_receiveData.buffered() > 0);
    socket.readDataWithTimeout(-1, 0);
}

void ServerNetworkCenter::onSocketDidDisconnect(TcpSocket& socket)
{
    if (&socket != m_mainSocket.get())
        return;
    m_watchdog.stop();
    DataCenter::sharedInstance().awaitedReplies.clear();
    NSLog("did disconnect already");
    DataCenter::sharedInstance().forwardNoticeCode("sysMsg", "serverDidDisconnect");
    m_isConnect = false;
}
