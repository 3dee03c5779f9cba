#pragma once

#include "platform/foundation/NSTimer.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/FdEvents.h"
#include "platform/foundation/UniqueFd.h"
#include "session/socket/AsyncReceivePacket.h"
#include "session/socket/AsyncSendPacket.h"
#include "session/socket/SocketError.h"
#include "session/socket/SocketLoopWork.h"
#include "session/socket/UdpSocketDelegate.h"
#include "session/socket/UdpSocketError.h"
#include "session/socket/UdpSocketException.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The run-loop datagram socket: one IPv4 and one IPv6 socket at most, sends and receives
// queued and carried out one at a time per direction, and reported to one delegate by tag.
// It starts no thread and never blocks (host names are looked up before a call returns).
//
// Ownership is as for TcpSocket: the owner holds it through a shared_ptr, the delegate is not
// owned, and the socket keeps itself alive while it handles an event, so the delegate may close
// or release it from any callback. Releasing it closes it without telling the delegate.
//
// Socket addresses travel as bytes in the system's layout: 16 bytes for IPv4, 28 for IPv6.
class UdpSocket : public std::enable_shared_from_this<UdpSocket> {
    struct Passkey {};

public:
    enum Flag : std::uint16_t {
        kDidBind = 0x0001,
        kDidConnect = 0x0002,
        kSock4CanAcceptBytes = 0x0004,
        kSock6CanAcceptBytes = 0x0008,
        kSock4HasBytesAvailable = 0x0010,
        kSock6HasBytesAvailable = 0x0020,
        kForbidSendReceive = 0x0040,
        kCloseAfterSends = 0x0080,
        kCloseAfterReceives = 0x0100,
        kDidClose = 0x0200,
        kDequeueSendScheduled = 0x0400,
        kDequeueReceiveScheduled = 0x0800,
        kFlipFlop = 0x1000, // set: the IPv4 socket is read first
    };
    static constexpr std::uint32_t kDefaultMaxReceiveBufferSize = 9216;
    // Datagrams read in one event at most (dropped ones included); the rest wait for a pass.
    static constexpr int kMostDatagramsPerEvent = 32;

    static std::shared_ptr<UdpSocket> create(UdpSocketDelegate* delegate = nullptr, std::int64_t userData = 0,
                                             bool enableIPv4 = true, bool enableIPv6 = true,
                                             RunLoop& runLoop = RunLoop::main());
    static std::shared_ptr<UdpSocket> createIPv4(RunLoop& runLoop = RunLoop::main());
    static std::shared_ptr<UdpSocket> createIPv6(RunLoop& runLoop = RunLoop::main());
    UdpSocket(Passkey, UdpSocketDelegate* delegate, std::int64_t userData, RunLoop& runLoop);
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    UdpSocketDelegate* delegate() const { return m_delegate; }
    void setDelegate(UdpSocketDelegate* delegate) { m_delegate = delegate; }
    std::int64_t userData() const { return m_userData; }
    void setUserData(std::int64_t value) { m_userData = value; }
    std::uint16_t flags() const { return m_flags; }
    std::uint32_t maxReceiveBufferSize() const { return m_maxReceiveBufferSize; }
    // Kept within 1 to 65535 bytes (a datagram's largest payload).
    void setMaxReceiveBufferSize(std::uint32_t size);

    // ---- run-loop placement, as for TcpSocket
    const std::vector<RunLoopMode>& runLoopModes() const { return m_runLoopModes; }
    bool setRunLoopModes(std::vector<RunLoopMode> modes); // false for none
    bool moveToRunLoop(RunLoop* runLoop);                 // false for none

    // ---- addresses. Both return 0 or the resolver's error (EAI_...), and fill what is asked
    // for with the first address of each family; an address a family has none of stays empty.
    // No host (or an empty one) means the wildcard addresses for binding, and is EAI_NONAME for
    // sending; "localhost" and "loopback" are 127.0.0.1 and ::1.
    using Address = std::vector<std::uint8_t>;
    static int convertForBindHost(const std::optional<std::string>& host, std::uint16_t port, Address* address4,
                                  Address* address6);
    static int convertForSendHost(const std::optional<std::string>& host, std::uint16_t port, Address* address4,
                                  Address* address6);
    static std::string addressHost4(const Address& address);
    static std::string addressHost6(const Address& address);
    static std::string addressHost(const Address& address);

    // ---- set-up. Each answers false with the error when asked; misuse throws
    // UdpSocketException. Port 0 binds one port, chosen by the system, for both families. A bind
    // binds every family it names or none, so a failed one may be tried again.
    bool bindToPort(std::uint16_t port, SocketError* error = nullptr);
    bool bindToAddress(const std::optional<std::string>& host, std::uint16_t port, SocketError* error = nullptr);
    bool connectToHost(const std::string& host, std::uint16_t port, SocketError* error = nullptr);
    bool connectToAddress(const Address& address, SocketError* error = nullptr);
    bool joinMulticastGroup(const std::string& group, SocketError* error = nullptr);
    bool joinMulticastGroup(const std::string& group, const std::optional<std::string>& interfaceAddress,
                            SocketError* error = nullptr);
    bool enableBroadcast(bool on, SocketError* error = nullptr);

    // ---- ends
    std::optional<std::string> localHost();
    std::uint16_t localPort();
    std::optional<std::string> connectedHost();
    std::uint16_t connectedPort();
    bool isConnected() const { return (m_flags & kDidConnect) && !(m_flags & kDidClose); }
    bool isConnectedToHost(const std::string& host, std::uint16_t port);
    bool isClosed() const { return m_flags & kDidClose; }
    bool isIPv4() const { return m_socket4.isValid(); }
    bool isIPv6() const { return m_socket6.isValid(); }
    // The MTU of the path of a connected socket, else of the interface of the bound address;
    // 0 when it cannot tell.
    std::uint32_t maximumTransmissionUnit() const;

    // ---- sending and receiving. A negative timeout means none; it runs from the moment the
    // request is taken up. Sends answer whether they were queued.
    bool sendData(std::span<const std::uint8_t> data, TimeInterval timeout, std::int64_t tag);
    bool sendData(std::span<const std::uint8_t> data, const std::string& host, std::uint16_t port,
                  TimeInterval timeout, std::int64_t tag);
    bool sendDataToAddress(std::span<const std::uint8_t> data, const Address& address, TimeInterval timeout,
                           std::int64_t tag);
    void receiveWithTimeout(TimeInterval timeout, std::int64_t tag);

    // ---- closing. The delegate hears onUdpSocketDidClose once, on a later pass.
    void close();
    void closeAfterSending();
    void closeAfterReceiving();
    void closeAfterSendingAndReceiving();

    static SocketError getErrnoError();

private:
    using Generation = std::uint64_t;
    static constexpr std::size_t kAddress4Length = sizeof(sockaddr_in);
    static constexpr std::size_t kAddress6Length = sizeof(sockaddr_in6);
    // Ports the system is asked for when its choice for IPv4 is taken for IPv6.
    static constexpr int kBindAttempts = 5;
    struct Family {
        UniqueFd fd;
        std::unique_ptr<FdEvents> events;
        bool isValid() const { return fd.isValid(); }
    };

    RunLoop& loop() const { return *m_runLoop; }
    Family& family(bool v4) { return v4 ? m_socket4 : m_socket6; }
    void openFamily(bool v4);
    void closeFamily(bool v4);
    void reopenFamily(bool v4);
    void socketEvent(bool v4, std::uint32_t events);
    void checkNotClosed() const;

    // set-up
    // Binds the families that have both a socket and an address, all or none of them.
    bool bindFamilies(const Address& address4, Address address6, SocketError* error);
    bool bindFamily(bool v4, const Address& address, SocketError* error);
    bool connectFamily(bool v4, const Address& address, SocketError* error);
    bool joinGroup(bool v4, const Address& group, const Address& interface, SocketError* error);
    std::optional<std::string> endHost(bool local);
    std::uint16_t endPort(bool local);
    std::optional<Address> endAddress(bool local) const;

    // placement
    void cancelPendingWork();
    void detach();
    void attach();
    void postPlacementWork();

    // sending
    bool queueSend(std::span<const std::uint8_t> data, Address address, TimeInterval timeout, std::int64_t tag);
    void scheduleDequeueSend();
    void maybeDequeueSend();
    bool socketForPacket(const AsyncSendPacket& packet) const;
    void doSend(bool v4);
    void completeCurrentSend();
    void failCurrentSend(const SocketError& error);
    void endCurrentSend();
    void doSendTimeout(NSTimer& timer);

    // receiving
    void scheduleDequeueReceive();
    void maybeDequeueReceive();
    void doReceive(bool v4);
    enum class ReadOutcome { Waiting, Stored, Dropped, Finished };
    ReadOutcome readOneDatagram(bool v4);
    bool maybeCompleteCurrentReceive();
    void failCurrentReceive(const SocketError& error);
    void endCurrentReceive();
    void doReceiveTimeout(NSTimer& timer);

    // closing
    void emptyQueues();
    void maybeScheduleClose();
    void tellClosed();
    bool sendSideIdle() const { return m_sendQueue.empty() && !m_currentSend; }
    bool receiveSideIdle() const { return m_receiveQueue.empty() && !m_currentReceive; }

    std::shared_ptr<NSTimer> makeTimer(TimeInterval seconds, void (UdpSocket::*action)(NSTimer&));
    void performLater(void (UdpSocket::*action)(), RunLoop::Id* id = nullptr);

    Family m_socket4;
    Family m_socket6;
    RunLoop* m_runLoop;
    std::vector<RunLoopMode> m_runLoopModes {RunLoopModes::Default};

    std::deque<std::unique_ptr<AsyncSendPacket>> m_sendQueue;
    std::unique_ptr<AsyncSendPacket> m_currentSend;
    std::shared_ptr<NSTimer> m_sendTimer;
    std::deque<std::unique_ptr<AsyncReceivePacket>> m_receiveQueue;
    std::unique_ptr<AsyncReceivePacket> m_currentReceive;
    std::shared_ptr<NSTimer> m_receiveTimer;

    UdpSocketDelegate* m_delegate = nullptr; // not owned
    std::uint16_t m_flags = 0;
    std::int64_t m_userData = 0;
    std::optional<std::string> m_cachedLocalHost;
    std::uint16_t m_cachedLocalPort = 0;
    std::optional<std::string> m_cachedConnectedHost;
    std::uint16_t m_cachedConnectedPort = 0;
    std::uint32_t m_maxReceiveBufferSize = kDefaultMaxReceiveBufferSize;

    // Moves on at every close, so code that called the delegate can tell the socket closed.
    Generation m_generation = 0;
    RunLoop::Id m_sendDequeueId = 0;
    RunLoop::Id m_receiveDequeueId = 0;
    RunLoop::Id m_closeNoticeId = 0; // set while the delegate is owed the close notice
};
