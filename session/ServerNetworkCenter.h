#pragma once

#include "session/FrameReceiver.h"
#include "session/LinkWatchdog.h"
#include "session/VenueCommand.h"
#include "session/socket/TcpSocket.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The one connection to the venue server. Screens send their commands through it; every
// whole, checked frame that arrives is handed to the session state as the notice "tcpMsg",
// and link events become the notices "serverConnected" and "serverDidDisconnect". It never
// reconnects by itself: that is the dispatcher's or a screen's decision. A link that has gone
// quiet in the middle of a frame, or while a reply is awaited, or whose peer sends without
// reading what the link writes, is dropped like a closed one (see LinkWatchdog), so that
// decision gets made.
//
// Main run loop only. Notices are delivered synchronously, so an observer may reconnect (or
// disconnect) from inside one; events of a socket that has since been replaced are ignored.
class ServerNetworkCenter : public TcpSocketDelegate {
public:
    static constexpr TimeInterval kConnectTimeout = 2.0;
    static constexpr TimeInterval kWriteTimeout = 5.0;

    static ServerNetworkCenter& sharedInstance();
    // Drops the instance (its socket closes silently); the next sharedInstance() is fresh.
    static void resetForTesting();

    // Starts a new connection to "Server_Ip":"Server_Port" from the user defaults, replacing
    // the current socket and emptying the receive buffer. A missing host or a port outside 1
    // to 65535 is refused at once (logged, no notice).
    void initConnect();
    // How many times initConnect has run: a caller that waits before reconnecting can tell
    // whether someone else has reconnected meanwhile.
    std::uint64_t connectAttempts() const { return m_connectAttempts; }
    bool getConnected() const;
    void disconnectToServer();
    bool isConnect() const { return m_isConnect; }
    void setIsConnect(bool value) { m_isConnect = value; }

    // Frame a body or a request and write it (5 s timeout). Nothing is written, and a line is
    // logged, when there is no connection started or the link is down, or the request cannot
    // be framed; a request then says false, for a screen that would otherwise wait for its reply.
    void sentMsg(std::string_view body);
    bool sentMsg(int command, const std::vector<std::string>& fields);
    bool sentMsg(VenueCommand command, const std::vector<std::string>& fields)
    {
        return sentMsg(commandNumber(command), fields);
    }
    void sendMsg(int command, const std::vector<std::string>& fields);
    void sendMsg(VenueCommand command, const std::vector<std::string>& fields) { sendMsg(commandNumber(command), fields); }

    TcpSocket* mainSocket() const { return m_mainSocket.get(); }
    // Bytes read on the current link. A read is handled before the run loop goes on, so bytes
    // counted here have been acted on: tests wait on it for what their peer sent.
    std::uint64_t bytesRead() const { return m_bytesRead; }

    void onSocketDidConnectToHost(TcpSocket& socket, const std::string& host, std::uint16_t port) override;
    void onSocketDidReadData(TcpSocket& socket, std::span<const std::uint8_t> data, std::int64_t tag) override;
    void onSocketDidWriteDataWithTag(TcpSocket& socket, std::int64_t tag) override;
    void onSocketDidDisconnect(TcpSocket& socket) override;

private:
    ServerNetworkCenter() = default;
    // Whether it was handed to the socket.
    bool writeFrame(const std::optional<std::string>& frame);
    bool writeRequest(int command, const std::optional<std::string>& frame);
    void linkWentQuiet(const char* reason);
    // Hands the whole frames received on to the session, as long as the link is not behind
    // with its writes, then reads on unless it is.
    void handOnFrames(TcpSocket& socket);
    void readMore(TcpSocket& socket);

    std::shared_ptr<TcpSocket> m_mainSocket;
    bool m_isConnect = false;
    FrameReceiver m_receiveData;
    std::uint64_t m_bytesRead = 0;
    std::int32_t m_dataOffset = 0;
    std::uint64_t m_connectAttempts = 0;
    LinkWatchdog m_watchdog {[this](const char* reason) { linkWentQuiet(reason); }};
};
