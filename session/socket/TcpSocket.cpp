// TcpSocket's core: construction, endpoints, stream events, closing and the errors it builds.
// Connecting, accepting, reading, writing, TLS and run-loop placement each have a file of their own.
#include "session/socket/TcpSocket.h"

#include "platform/foundation/Log.h"

#include <cerrno>
#include <limits>
#include <netdb.h>

namespace {

SocketError tcpError(TcpSocketError code, const char* message)
{
    return {TcpSocketErrorDomain, code, message};
}

const char* domainName(StreamErrorDomain domain)
{
    switch (domain) {
    case StreamErrorDomain::Posix:
        return SocketErrorDomains::Posix;
    case StreamErrorDomain::OSStatus:
        return SocketErrorDomains::OSStatus;
    case StreamErrorDomain::Mach:
        return SocketErrorDomains::Mach;
    case StreamErrorDomain::NetDB:
        return SocketErrorDomains::NetDB;
    case StreamErrorDomain::NetServices:
        return SocketErrorDomains::NetServices;
    case StreamErrorDomain::Socks:
        return SocketErrorDomains::Socks;
    case StreamErrorDomain::SystemConfiguration:
        return SocketErrorDomains::SystemConfiguration;
    case StreamErrorDomain::Ssl:
        return SocketErrorDomains::Ssl;
    case StreamErrorDomain::None:
        break;
    }
    return SocketErrorDomains::Unlisted;
}

std::optional<std::string> hostOf(const std::optional<SocketAddress>& address)
{
    return address ? address->host() : std::nullopt;
}

std::uint16_t portOf(const std::optional<SocketAddress>& address)
{
    return address ? address->port() : 0;
}

} // namespace

std::shared_ptr<TcpSocket> TcpSocket::create(TcpSocketDelegate* delegate, std::int64_t userData, RunLoop& runLoop)
{
    return std::make_shared<TcpSocket>(Passkey {}, delegate, userData, runLoop);
}

TcpSocket::TcpSocket(Passkey, TcpSocketDelegate* delegate, std::int64_t userData, RunLoop& runLoop)
    : m_homeRunLoop(&runLoop)
    , m_delegate(delegate)
    , m_userData(userData)
{
    m_partialReadBuffer.reserve(256);
}

TcpSocket::~TcpSocket()
{
    close(false);
    m_homeRunLoop->cancelPerforms(this);
}

bool TcpSocket::canSafelySetDelegate() const
{
    return m_readQueue.empty() && m_writeQueue.empty() && !m_currentRead && !m_currentWrite;
}

SocketHandle* TcpSocket::getCFSocket() const
{
    return m_socket4 ? m_socket4.get() : m_socket6.get();
}

bool TcpSocket::isDisconnected() const
{
    return m_nativeSocket4 < 0 && m_nativeSocket6 < 0 && !m_socket4 && !m_socket6 && !m_readStream && !m_writeStream;
}

bool TcpSocket::isConnected() const
{
    if (!m_readStream || !m_writeStream)
        return false;
    const auto r = m_readStream->status();
    const auto w = m_writeStream->status();
    return (r == StreamStatus::Open || r == StreamStatus::Reading || r == StreamStatus::Error)
        && (w == StreamStatus::Open || w == StreamStatus::Writing || w == StreamStatus::Error);
}

void TcpSocket::checkForThreadSafety() const
{
    if (m_runLoop && std::this_thread::get_id() != m_runLoopThread)
        throw TcpSocketException("Attempting to access TcpSocket instance from incorrect thread.");
}

// ---- endpoints

std::optional<std::string> TcpSocket::connectedHost() const
{
    return hostOf(connectedAddress());
}

std::uint16_t TcpSocket::connectedPort() const
{
    return portOf(connectedAddress());
}

std::optional<std::string> TcpSocket::localHost() const
{
    return hostOf(localAddress());
}

std::uint16_t TcpSocket::localPort() const
{
    return portOf(localAddress());
}

std::optional<SocketAddress> TcpSocket::connectedAddress() const
{
    if (auto* socket = getCFSocket())
        return socket->peerAddress();
    return SocketAddress::peerOf(m_nativeSocket4 >= 0 ? m_nativeSocket4 : m_nativeSocket6);
}

std::optional<SocketAddress> TcpSocket::localAddress() const
{
    if (auto* socket = getCFSocket())
        return socket->localAddress();
    return SocketAddress::localOf(m_nativeSocket4 >= 0 ? m_nativeSocket4 : m_nativeSocket6);
}

std::optional<std::string> TcpSocket::connectedHost4() const
{
    return hostOf(m_socket4 ? m_socket4->peerAddress() : SocketAddress::peerOf(m_nativeSocket4));
}

std::uint16_t TcpSocket::connectedPort4() const
{
    return portOf(m_socket4 ? m_socket4->peerAddress() : SocketAddress::peerOf(m_nativeSocket4));
}

std::optional<std::string> TcpSocket::localHost4() const
{
    return hostOf(m_socket4 ? m_socket4->localAddress() : SocketAddress::localOf(m_nativeSocket4));
}

std::uint16_t TcpSocket::localPort4() const
{
    return portOf(m_socket4 ? m_socket4->localAddress() : SocketAddress::localOf(m_nativeSocket4));
}

std::optional<std::string> TcpSocket::connectedHost6() const
{
    return hostOf(m_socket6 ? m_socket6->peerAddress() : SocketAddress::peerOf(m_nativeSocket6));
}

std::uint16_t TcpSocket::connectedPort6() const
{
    return portOf(m_socket6 ? m_socket6->peerAddress() : SocketAddress::peerOf(m_nativeSocket6));
}

std::optional<std::string> TcpSocket::localHost6() const
{
    return hostOf(m_socket6 ? m_socket6->localAddress() : SocketAddress::localOf(m_nativeSocket6));
}

std::uint16_t TcpSocket::localPort6() const
{
    return portOf(m_socket6 ? m_socket6->localAddress() : SocketAddress::localOf(m_nativeSocket6));
}

bool TcpSocket::isIPv4() const
{
    return m_nativeSocket4 >= 0 || m_socket4;
}

bool TcpSocket::isIPv6() const
{
    return m_nativeSocket6 >= 0 || m_socket6;
}

// ---- stream events

void TcpSocket::doCFReadStreamCallback(StreamEvent event)
{
    switch (event) {
    case StreamEventOpenCompleted:
        m_flags |= kDidCompleteOpenForRead;
        doStreamOpen();
        break;
    case StreamEventHasBytesAvailable:
        if (m_flags & kStartingReadTLS) {
            onTLSHandshakeSuccessful();
            break;
        }
        m_flags |= kSocketHasBytesAvailable;
        doBytesAvailable();
        break;
    case StreamEventErrorOccurred:
    case StreamEventEndEncountered:
        closeWithError(errorFromCFStreamError(m_readStream->error()));
        break;
    default:
        NSLog("TcpSocket %p received unexpected CFReadStream callback, CFStreamEventType %i", static_cast<void*>(this),
              static_cast<int>(event));
        break;
    }
}

void TcpSocket::doCFWriteStreamCallback(StreamEvent event)
{
    switch (event) {
    case StreamEventOpenCompleted:
        m_flags |= kDidCompleteOpenForWrite;
        doStreamOpen();
        break;
    case StreamEventCanAcceptBytes:
        if (m_flags & kStartingWriteTLS) {
            onTLSHandshakeSuccessful();
            break;
        }
        m_flags |= kSocketCanAcceptBytes;
        if (doSendBytes())
            maybeDequeueWrite();
        break;
    case StreamEventErrorOccurred:
    case StreamEventEndEncountered:
        closeWithError(errorFromCFStreamError(m_writeStream->error()));
        break;
    default:
        NSLog("TcpSocket %p received unexpected CFWriteStream callback, CFStreamEventType %i",
              static_cast<void*>(this), static_cast<int>(event));
        break;
    }
}

// ---- closing

void TcpSocket::emptyQueues()
{
    if (m_currentRead)
        endCurrentRead();
    if (m_currentWrite)
        endCurrentWrite();
    m_readQueue.clear();
    m_writeQueue.clear();
    m_queuedWriteBytes = 0;
    if (m_readDequeueId)
        loop().cancelPerform(m_readDequeueId);
    if (m_writeDequeueId)
        loop().cancelPerform(m_writeDequeueId);
    m_readDequeueId = 0;
    m_writeDequeueId = 0;
    m_flags &= ~(kDequeueReadScheduled | kDequeueWriteScheduled);
}

void TcpSocket::closeWithError(std::optional<SocketError> error)
{
    m_flags |= kClosingWithError;
    if (m_flags & kDidStartConnect) {
        recoverUnreadData();
        const Generation generation = m_generation;
        if (m_delegate)
            m_delegate->onSocketWillDisconnectWithError(*this, error);
        if (generation != m_generation)
            return; // the delegate closed it, and may already have connected again
    }
    close();
}

void TcpSocket::close(bool notify)
{
    emptyQueues();
    m_partialReadBuffer.clear();
    if (m_disconnectId)
        loop().cancelPerform(m_disconnectId);
    m_disconnectId = 0;
    if (m_connectTimer)
        endConnectTimeout();
    endTLSHandshakeTimeout();
    // The read stream goes first; the descriptor is closed once, when the second stream goes.
    if (m_readStream) {
        m_readStream->setClient(0, nullptr);
        m_readStream->unscheduleFromRunLoop(loop(), m_runLoopModes);
        m_readStream->close();
        m_readStream.reset();
    }
    if (m_writeStream) {
        m_writeStream->setClient(0, nullptr);
        m_writeStream->unscheduleFromRunLoop(loop(), m_runLoopModes);
        m_writeStream->close();
        m_writeStream.reset();
    }
    m_socket4.reset();
    m_socket6.reset();
    m_nativeSocket4 = -1;
    m_nativeSocket6 = -1;
    m_runLoop = nullptr;
    const bool began = (m_flags & kDidStartConnect) != 0;
    m_flags &= kEnablePreBuffering;
    ++m_generation;
    if (notify && began && m_delegate)
        m_delegate->onSocketDidDisconnect(*this); // nothing of the socket is touched after this
}

void TcpSocket::disconnect()
{
    // The delegate may release the socket from onSocketDidDisconnect.
    auto keepAlive = weak_from_this().lock();
    close();
}

void TcpSocket::disconnectAfterReading()
{
    m_flags |= kForbidReadsWrites | kDisconnectAfterReads;
    maybeScheduleDisconnect();
}

void TcpSocket::disconnectAfterWriting()
{
    m_flags |= kForbidReadsWrites | kDisconnectAfterWrites;
    maybeScheduleDisconnect();
}

void TcpSocket::disconnectAfterReadingAndWriting()
{
    m_flags |= kForbidReadsWrites | kDisconnectAfterReads | kDisconnectAfterWrites;
    maybeScheduleDisconnect();
}

void TcpSocket::maybeScheduleDisconnect()
{
    bool shouldDisconnect = false;
    if (m_flags & kDisconnectAfterReads)
        shouldDisconnect = readSideIdle() && (!(m_flags & kDisconnectAfterWrites) || writeSideIdle());
    else if (m_flags & kDisconnectAfterWrites)
        shouldDisconnect = writeSideIdle();
    if (!shouldDisconnect || m_disconnectId)
        return;
    SocketLoopWork::performLater(*this, loop(), m_runLoopModes, &TcpSocket::disconnect, &m_disconnectId);
}

// ---- errors

SocketError TcpSocket::getErrnoError()
{
    return posixError(errno);
}

SocketError TcpSocket::getSocketError()
{
    return tcpError(TcpSocketCFSocketError, "General CFSocket error");
}

SocketError TcpSocket::getAbortError()
{
    return tcpError(TcpSocketCanceledError, "Connection canceled");
}

SocketError TcpSocket::getConnectTimeoutError()
{
    return tcpError(TcpSocketConnectTimeoutError, "Attempt to connect to host timed out");
}

SocketError TcpSocket::getReadMaxedOutError()
{
    return tcpError(TcpSocketReadMaxedOutError, "Read operation reached set maximum length");
}

SocketError TcpSocket::getReadTimeoutError()
{
    return tcpError(TcpSocketReadTimeoutError, "Read operation timed out");
}

SocketError TcpSocket::getWriteTimeoutError()
{
    return tcpError(TcpSocketWriteTimeoutError, "Write operation timed out");
}

SocketError TcpSocket::getTLSHandshakeTimeoutError()
{
    return tcpError(TcpSocketTLSHandshakeTimeoutError, "TLS handshake timed out");
}

std::optional<SocketError> TcpSocket::getStreamError() const
{
    if (m_readStream && m_readStream->error().code != 0)
        return errorFromCFStreamError(m_readStream->error());
    if (m_writeStream && m_writeStream->error().code != 0)
        return errorFromCFStreamError(m_writeStream->error());
    return std::nullopt;
}

std::optional<SocketError> TcpSocket::errorFromCFStreamError(StreamError error)
{
    if (error.domain == StreamErrorDomain::None && error.code == 0)
        return std::nullopt;
    SocketError result {domainName(error.domain), error.code, {}};
    if (error.domain == StreamErrorDomain::NetDB)
        result.description = ::gai_strerror(error.code);
    else
        result.description = error.reason; // the TLS layer's account of a failed handshake
    return result;
}

float TcpSocket::reportProgress(std::optional<Progress> progress, std::int64_t* tag, std::uint64_t* done,
                                 std::uint64_t* total)
{
    const Progress shown = progress.value_or(Progress {});
    if (tag)
        *tag = shown.tag;
    if (done)
        *done = shown.done;
    if (total)
        *total = shown.total;
    if (!progress)
        return std::numeric_limits<float>::quiet_NaN();
    // A read without a set length counts as done with whatever it has.
    if (shown.total == 0)
        return 1.0f;
    return static_cast<float>(shown.done) / static_cast<float>(shown.total);
}

std::shared_ptr<NSTimer> TcpSocket::makeTimer(TimeInterval seconds, void (TcpSocket::*action)())
{
    return SocketLoopWork::makeTimer(*this, loop(), m_runLoopModes, seconds, action);
}
