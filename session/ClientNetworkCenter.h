#pragma once

#include "platform/foundation/NSTimer.h"
#include "session/FrameReceiver.h"
#include "session/LinkWatchdog.h"
#include "session/VenueCommand.h"
#include "session/socket/TcpSocket.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The secondary venue link: dormant until someone gives it an address, then kept up by a retry
// one second after every loss of the link, once it has been connected at least once. It and
// the server connection exclude each other: connecting either one disconnects the other.
//
// Main run loop only. Only events of its current socket count, and a disconnect it asked for
// itself is never retried, so the two links cannot knock each other down every second. A link
// that goes quiet (see LinkWatchdog) is dropped, and so retried, like one the server closed.
class ClientNetworkCenter : public TcpSocketDelegate {
public:
    static constexpr TimeInterval kConnectTimeout = 3.0;
    static constexpr TimeInterval kRetryDelay = 1.0;
    static constexpr TimeInterval kWriteTimeout = 5.0;

    static ClientNetworkCenter& sharedInstance();
    static void resetForTesting();

    // Remembers the address, cancels a pending retry and connects (a port outside 1 to 65535
    // or an empty host is refused at once and logged).
    void connectToServerWithIp(const std::string& host, int port);
    void retryConnectLastConnection();
    // Cancels a pending retry; the disconnect that follows is not retried.
    void disconnectToServer();
    // Command 4 with the fields "0" and "0".
    void sentMsgAskForBillList();
    void sentMsg(std::string_view body);
    void sentMsg(int command, const std::vector<std::string>& fields);
    void sentMsg(VenueCommand command, const std::vector<std::string>& fields) { sentMsg(commandNumber(command), fields); }

    bool isConnect() const { return m_isConnect; }
    void setIsConnect(bool value) { m_isConnect = value; }
    bool isStopRetry() const { return m_isStopRetry; }
    void setIsStopRetry(bool value) { m_isStopRetry = value; }
    bool isRetryPending() const { return m_retryTimer && m_retryTimer->isValid(); }
    const std::string& lastConnectIp() const { return m_lastConnectIp; }
    int lastConnectPort() const { return m_lastConnectPort; }
    TcpSocket* mainSocket() const { return m_mainSocket.get(); }
    // Bytes read on the current link. A read is handled before the run loop goes on, so bytes
    // counted here have been acted on: tests wait on it for what their peer sent.
    std::uint64_t bytesRead() const { return m_bytesRead; }

    void onSocketDidConnectToHost(TcpSocket& socket, const std::string& host, std::uint16_t port) override;
    void onSocketDidReadData(TcpSocket& socket, std::span<const std::uint8_t> data, std::int64_t tag) override;
    void onSocketDidWriteDataWithTag(TcpSocket& socket, std::int64_t tag) override;
    void onSocketDidDisconnect(TcpSocket& socket) override;

private:
    ClientNetworkCenter() = default;
    ~ClientNetworkCenter() override;
    void cancelRetry();
    bool writeFrame(const std::optional<std::string>& frame);
    void linkWentQuiet(const char* reason);
    // Hands the whole frames received on, as long as the link is not behind with its writes,
    // then reads on unless it is. `data` is the read that brought them, for the log.
    void handOnFrames(TcpSocket& socket, std::span<const std::uint8_t> data);
    void readMore(TcpSocket& socket);

    std::shared_ptr<TcpSocket> m_mainSocket;
    bool m_isConnect = false;
    FrameReceiver m_receiveData;
    std::uint64_t m_bytesRead = 0;
    std::int32_t m_dataOffset = 0;
    std::string m_lastConnectIp;
    int m_lastConnectPort = 0;
    std::shared_ptr<NSTimer> m_retryTimer;
    bool m_isStopRetry = true;
    bool m_disconnectRequested = false;
    LinkWatchdog m_watchdog {[this](const char* reason) { linkWentQuiet(reason); }};
};
