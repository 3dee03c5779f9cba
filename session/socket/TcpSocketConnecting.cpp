// The connecting part of TcpSocket: streams, the socket object, opening and the connect timeout.
#include "session/socket/TcpSocket.h"

#include "platform/foundation/Log.h"
#include "platform/net/StreamPair.h"


namespace {

constexpr std::uint32_t kReadStreamEvents = StreamEventOpenCompleted | StreamEventHasBytesAvailable
    | StreamEventErrorOccurred | StreamEventEndEncountered;
constexpr std::uint32_t kWriteStreamEvents = StreamEventOpenCompleted | StreamEventCanAcceptBytes
    | StreamEventErrorOccurred | StreamEventEndEncountered;

std::string describe(const std::optional<SocketError>& error)
{
    if (!error)
        return "(null)";
    return error->domain + " " + std::to_string(error->code) + (error->description.empty() ? "" : " " + error->description);
}

} // namespace

bool TcpSocket::checkCanConnect() const
{
    if (!m_delegate)
        throw TcpSocketException("Attempting to connect without a delegate. Set a delegate first.");
    if (!isDisconnected())
        throw TcpSocketException("Attempting to connect while connected or accepting connections. Disconnect first.");
    return true;
}

bool TcpSocket::connectToHost(const std::string& host, std::uint16_t port, TimeInterval timeout, SocketError* error)
{
    checkCanConnect();
    emptyQueues();
    SocketError failure;
    const bool started = createStreamsToHost(host, port, &failure) && attachStreamsToRunLoop(nullptr, &failure)
        && configureStreamsAndReturnError(&failure) && openStreamsAndReturnError(&failure);
    if (!started) {
        close(); // no callback: the connection has not begun
        fillError(error, std::move(failure));
        return false;
    }
    startConnectTimeout(timeout);
    m_flags |= kDidStartConnect;
    return true;
}

bool TcpSocket::connectToAddress(const SocketAddress& remote, const SocketAddress* interface, TimeInterval timeout,
                                 SocketError* error)
{
    checkCanConnect();
    emptyQueues();
    SocketError failure;
    const bool started = createSocketForAddress(remote, &failure) && bindSocketToAddress(interface, &failure)
        && attachSocketsToRunLoop(nullptr, &failure) && configureSocketAndReturnError(&failure)
        && connectSocketToAddress(remote, &failure);
    if (!started) {
        close();
        fillError(error, std::move(failure));
        return false;
    }
    startConnectTimeout(timeout);
    m_flags |= kDidStartConnect;
    return true;
}

// ---- streams

bool TcpSocket::createStreamsToHost(const std::string& host, std::uint16_t port, SocketError*)
{
    auto pair = StreamPair::toHost(host, port);
    m_readStream = std::move(pair.read);
    m_writeStream = std::move(pair.write);
    return true;
}

bool TcpSocket::createStreamsFromNative(UniqueFd fd, SocketError*)
{
    auto pair = StreamPair::withSocket(std::move(fd));
    m_readStream = std::move(pair.read);
    m_writeStream = std::move(pair.write);
    return true;
}

bool TcpSocket::attachStreamsToRunLoop(RunLoop* runLoop, SocketError* error)
{
    m_runLoop = runLoop ? runLoop : m_homeRunLoop;
    m_runLoopThread = std::this_thread::get_id();
    // The streams hold the socket weakly: they never keep it alive, and each event keeps it
    // alive only while it is handled.
    std::weak_ptr<TcpSocket> weak = weakSelf();
    m_readStream->setClient(kReadStreamEvents, [weak](StreamEvent event) {
        if (auto self = weak.lock())
            self->doCFReadStreamCallback(event);
    });
    if (!m_readStream->scheduleInRunLoop(*m_runLoop, m_runLoopModes)) {
        NSLog("TcpSocket %p couldn't attach read stream to run-loop,", static_cast<void*>(this));
        NSLog("Error: %s", describe(getStreamError()).c_str());
        fillError(error, getStreamError().value_or(getSocketError()));
        return false;
    }
    m_writeStream->setClient(kWriteStreamEvents, [weak](StreamEvent event) {
        if (auto self = weak.lock())
            self->doCFWriteStreamCallback(event);
    });
    if (!m_writeStream->scheduleInRunLoop(*m_runLoop, m_runLoopModes)) {
        NSLog("TcpSocket %p couldn't attach write stream to run-loop,", static_cast<void*>(this));
        NSLog("Error: %s", describe(getStreamError()).c_str());
        fillError(error, getStreamError().value_or(getSocketError()));
        return false;
    }
    return true;
}

bool TcpSocket::askWillConnect(SocketError* error)
{
    if (!m_delegate)
        return true;
    const Generation generation = m_generation;
    const bool proceed = m_delegate->onSocketWillConnect(*this);
    if (proceed && generation == m_generation)
        return true;
    fillError(error, getAbortError());
    return false;
}

bool TcpSocket::configureStreamsAndReturnError(SocketError* error)
{
    return askWillConnect(error);
}

bool TcpSocket::openStreamsAndReturnError(SocketError* error)
{
    if (!m_readStream->open()) {
        NSLog("TcpSocket %p couldn't open read stream,", static_cast<void*>(this));
        fillError(error, getStreamError().value_or(getSocketError()));
        return false;
    }
    if (!m_writeStream->open()) {
        NSLog("TcpSocket %p couldn't open write stream,", static_cast<void*>(this));
        fillError(error, getStreamError().value_or(getSocketError()));
        return false;
    }
    return true;
}

// ---- a socket object that connects to an address

bool TcpSocket::createSocketForAddress(const SocketAddress& remote, SocketError* error)
{
    if (!remote.isInet()) {
        fillError(error, {TcpSocketErrorDomain, TcpSocketCFSocketError, "Remote address is not IPv4 or IPv6"});
        return false;
    }
    auto socket = SocketHandle::create(remote.family());
    if (!socket) {
        fillError(error, getSocketError());
        return false;
    }
    (remote.family() == AF_INET ? m_socket4 : m_socket6) = std::move(socket);
    return true;
}

bool TcpSocket::bindSocketToAddress(const SocketAddress* interface, SocketError* error)
{
    if (!interface)
        return true;
    if (!interface->isInet()) {
        fillError(error, {TcpSocketErrorDomain, TcpSocketCFSocketError, "Interface address is not IPv4 or IPv6"});
        return false;
    }
    int code = 0;
    if (getCFSocket()->bind(*interface, &code))
        return true;
    fillError(error, posixError(code));
    return false;
}

bool TcpSocket::attachSocketsToRunLoop(RunLoop* runLoop, SocketError*)
{
    m_runLoop = runLoop ? runLoop : m_homeRunLoop;
    m_runLoopThread = std::this_thread::get_id();
    return true; // the socket object registers its source when it starts connecting
}

bool TcpSocket::configureSocketAndReturnError(SocketError* error)
{
    return askWillConnect(error);
}

bool TcpSocket::connectSocketToAddress(const SocketAddress& remote, SocketError* error)
{
    std::weak_ptr<TcpSocket> weak = weakSelf();
    auto onOutcome = [weak](int outcome) {
        if (auto self = weak.lock())
            self->doSocketOpen(outcome);
    };
    if (getCFSocket()->connectInBackground(remote, *m_runLoop, m_runLoopModes, std::move(onOutcome)))
        return true;
    fillError(error, getSocketError());
    return false;
}

void TcpSocket::doSocketOpen(int error)
{
    if (error != 0) {
        closeWithError(posixError(error)); // the system's reason (refused, unreachable...), not a bare failure
        return;
    }
    const bool isV4 = m_socket4 != nullptr;
    // The streams take the descriptor over and close it; the socket object only gives it up.
    UniqueFd fd = getCFSocket()->releaseDescriptor();
    (isV4 ? m_nativeSocket4 : m_nativeSocket6) = fd.get();
    m_socket4.reset();
    m_socket6.reset();
    SocketError failure;
    const bool opened = createStreamsFromNative(std::move(fd), &failure) && attachStreamsToRunLoop(nullptr, &failure)
        && openStreamsAndReturnError(&failure);
    if (!opened) {
        NSLog("TcpSocket %p couldn't create streams from accepted socket: %s", static_cast<void*>(this),
              describe(failure).c_str());
        closeWithError(failure);
    }
}

// ---- open

void TcpSocket::doStreamOpen()
{
    if ((m_flags & kDidCompleteOpenForRead) == 0 || (m_flags & kDidCompleteOpenForWrite) == 0)
        return;
    SocketError failure;
    if (!setSocketFromStreamsAndReturnError(&failure)) {
        NSLog("TcpSocket %p couldn't get socket from streams, %s. Disconnecting.", static_cast<void*>(this),
              describe(failure).c_str());
        closeWithError(failure);
        return;
    }
    endConnectTimeout();
    const Generation generation = m_generation;
    if (m_delegate)
        m_delegate->onSocketDidConnectToHost(*this, connectedHost().value_or(""), connectedPort());
    if (generation != m_generation)
        return;
    maybeDequeueRead();
    if (generation != m_generation)
        return;
    maybeDequeueWrite();
}

bool TcpSocket::setSocketFromStreamsAndReturnError(SocketError* error)
{
    const int fd = m_readStream->nativeHandle();
    if (fd < 0) {
        fillError(error, getStreamError().value_or(getSocketError()));
        return false;
    }
    auto wrapped = SocketHandle::wrap(fd); // never closes: the streams own the descriptor
    if (m_nativeSocket4 >= 0) {
        m_socket4 = std::move(wrapped);
    } else if (m_nativeSocket6 >= 0) {
        m_socket6 = std::move(wrapped);
    } else {
        const auto peer = SocketAddress::peerOf(fd);
        if (!peer) {
            NSLog("TcpSocket couldn't determine IP version of socket");
            fillError(error, getSocketError());
            return false;
        }
        if (peer->family() == AF_INET) {
            m_socket4 = std::move(wrapped);
            m_nativeSocket4 = fd;
        } else {
            m_socket6 = std::move(wrapped);
            m_nativeSocket6 = fd;
        }
    }
    return true;
}

// ---- connect timeout

void TcpSocket::startConnectTimeout(TimeInterval timeout)
{
    if (timeout >= 0)
        m_connectTimer = makeTimer(timeout, &TcpSocket::doConnectTimeout);
}

void TcpSocket::endConnectTimeout()
{
    if (m_connectTimer)
        m_connectTimer->invalidate();
    m_connectTimer.reset();
}

void TcpSocket::doConnectTimeout()
{
    endConnectTimeout();
    closeWithError(getConnectTimeoutError());
}
