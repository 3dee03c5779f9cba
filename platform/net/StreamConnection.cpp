#include "platform/net/StreamConnection.h"

#include "platform/foundation/Log.h"
#include "platform/net/SocketCalls.h"

#include <algorithm>
#include <cerrno>
#include <netdb.h>
#include <sys/socket.h>

namespace {

// Rounds of events handed to one side in one go; whatever is left waits for the next pass, so
// a client that keeps raising events cannot hold the loop.
constexpr int kDeliveryRounds = 8;

constexpr StreamEvent kDeliveryOrder[] = {
    StreamEventOpenCompleted, StreamEventHasBytesAvailable, StreamEventCanAcceptBytes,
    StreamEventEndEncountered, StreamEventErrorOccurred,
};

bool isLiveStatus(StreamStatus status)
{
    return status == StreamStatus::Opening || status == StreamStatus::Open;
}

} // namespace

std::shared_ptr<StreamConnection> StreamConnection::toHost(std::string host, std::uint16_t port)
{
    std::shared_ptr<StreamConnection> connection(new StreamConnection());
    connection->m_host = std::move(host);
    connection->m_port = port;
    return connection;
}

std::shared_ptr<StreamConnection> StreamConnection::withSocket(UniqueFd fd)
{
    std::shared_ptr<StreamConnection> connection(new StreamConnection());
    if (fd && SocketCalls::makeNonBlocking(fd.get())) {
        connection->m_fd = std::move(fd);
        connection->m_phase = Phase::Connected;
    } else {
        connection->m_phase = Phase::Failed;
        connection->m_lastConnectError = EBADF;
    }
    return connection;
}

StreamConnection::~StreamConnection()
{
    if (m_resolver)
        m_resolver->cancel();
    if (m_loop) {
        if (m_sourceId)
            m_loop->removeSource(m_sourceId);
        m_loop->cancelPerforms(this);
    }
}

// ---- clients and scheduling

void StreamConnection::setClient(Side side, std::uint32_t events, Client client)
{
    auto& s = m_sides[side];
    s.subscribed = client ? events : 0;
    s.client = std::move(client);
    if (s.client && s.pending)
        scheduleDispatch(side);
}

bool StreamConnection::schedule(Side side, RunLoop& loop, const std::vector<RunLoopMode>& modes)
{
    if (m_loop && m_loop != &loop) {
        if (!m_sides[ReadSide].modes.empty() || !m_sides[WriteSide].modes.empty())
            return false;
        moveTo(loop);
    }
    m_loop = &loop;
    auto& s = m_sides[side];
    for (const auto& mode : modes) {
        if (std::find(s.modes.begin(), s.modes.end(), mode) == s.modes.end())
            s.modes.push_back(mode);
    }
    updateSource();
    if (s.pending) {
        cancelDispatch(side); // re-posted in the new set of modes
        scheduleDispatch(side);
    }
    return true;
}

void StreamConnection::unschedule(Side side, RunLoop& loop, const std::vector<RunLoopMode>& modes)
{
    if (m_loop != &loop)
        return;
    auto& s = m_sides[side];
    std::erase_if(s.modes, [&](const RunLoopMode& mode) {
        return std::find(modes.begin(), modes.end(), mode) != modes.end();
    });
    cancelDispatch(side);
    if (s.pending)
        scheduleDispatch(side);
    updateSource();
}

// ---- opening and connecting

bool StreamConnection::open(Side side)
{
    auto& s = m_sides[side];
    if (s.status != StreamStatus::NotOpen)
        return false;
    if (m_phase == Phase::Idle && !startConnecting())
        return false;
    switch (m_phase) {
    case Phase::Connected:
        s.status = StreamStatus::Open;
        s.armed = true;
        s.pending |= StreamEventOpenCompleted;
        updateSource();
        break;
    case Phase::Failed:
        s.status = StreamStatus::Error;
        s.error = m_sides[1 - side].error.isError() ? m_sides[1 - side].error
                                                     : StreamError {StreamErrorDomain::Posix, m_lastConnectError};
        s.pending |= StreamEventErrorOccurred;
        break;
    case Phase::Finished:
        return false;
    default:
        s.status = StreamStatus::Opening;
        break;
    }
    scheduleDispatch(side);
    return true;
}

bool StreamConnection::startConnecting()
{
    if (auto address = SocketAddress::numeric(m_host, m_port)) {
        m_candidates = {*address};
        tryNextCandidate();
        return true;
    }
    if (!m_loop)
        return false;
    startResolving();
    return true;
}

void StreamConnection::startResolving()
{
    m_phase = Phase::Resolving;
    std::weak_ptr<StreamConnection> weak = weak_from_this();
    m_resolver = HostResolver::start(m_host, m_port, *m_loop, [weak](const HostResolver::Result& result) {
        if (auto self = weak.lock())
            self->resolved(result);
    });
}

// Unscheduled everywhere, so nothing of it is left on the old loop but a lookup's answer,
// which would arrive there: the lookup starts over for the new loop.
void StreamConnection::moveTo(RunLoop& loop)
{
    m_loop = &loop;
    if (m_phase == Phase::Resolving) {
        m_resolver->cancel();
        startResolving();
    }
}

void StreamConnection::resolved(const HostResolver::Result& result)
{
    m_resolver.reset();
    if (m_phase != Phase::Resolving)
        return;
    if (result.resolverError != 0) {
        if (result.resolverError == EAI_SYSTEM && result.systemError != 0)
            fail({StreamErrorDomain::Posix, result.systemError});
        else
            fail({StreamErrorDomain::NetDB, result.resolverError});
        return;
    }
    m_candidates = result.addresses;
    m_nextCandidate = 0;
    tryNextCandidate();
}

void StreamConnection::tryNextCandidate()
{
    dropSource(); // before the descriptor goes, so the loop never watches a reused number
    m_fd.reset();
    while (m_nextCandidate < m_candidates.size()) {
        const SocketAddress& address = m_candidates[m_nextCandidate++];
        int error = 0;
        UniqueFd fd = SocketCalls::createStreamSocket(address.family(), &error);
        if (!fd) {
            m_lastConnectError = error;
            continue;
        }
        if (::connect(fd.get(), address.data(), address.length()) == 0) {
            m_fd = std::move(fd);
            becomeConnected();
            return;
        }
        if (errno == EINPROGRESS || errno == EINTR) {
            m_fd = std::move(fd);
            m_phase = Phase::Connecting;
            updateSource();
            return;
        }
        m_lastConnectError = errno;
    }
    fail({StreamErrorDomain::Posix, m_lastConnectError ? m_lastConnectError : ECONNREFUSED});
}

void StreamConnection::becomeConnected()
{
    m_phase = Phase::Connected;
    m_candidates.clear();
    for (int side = 0; side < 2; ++side) {
        auto& s = m_sides[side];
        if (s.status != StreamStatus::Opening)
            continue;
        s.status = StreamStatus::Open;
        s.armed = true;
        s.pending |= StreamEventOpenCompleted;
        // Always a later pass: this may run inside open().
        scheduleDispatch(static_cast<Side>(side));
    }
    updateSource();
}

void StreamConnection::fail(StreamError error)
{
    if (m_phase == Phase::Finished)
        return;
    m_phase = Phase::Failed;
    if (error.domain == StreamErrorDomain::Posix)
        m_lastConnectError = error.code;
    for (int side = 0; side < 2; ++side) {
        auto& s = m_sides[side];
        if (!isLiveStatus(s.status))
            continue;
        s.status = StreamStatus::Error;
        s.error = error;
        s.armed = false;
        s.pending |= StreamEventErrorOccurred;
        scheduleDispatch(static_cast<Side>(side));
    }
    updateSource();
}

void StreamConnection::close(Side side)
{
    auto& s = m_sides[side];
    cancelDispatch(side);
    s.status = StreamStatus::Closed;
    s.pending = 0;
    s.armed = false;
    s.client = nullptr;
    s.subscribed = 0;
    s.modes.clear();
    if (m_sides[1 - side].status == StreamStatus::Closed)
        finish();
    else
        updateSource();
}

void StreamConnection::finish()
{
    m_phase = Phase::Finished;
    if (m_resolver) {
        m_resolver->cancel();
        m_resolver.reset();
    }
    dropSource();
    if (m_tls) {
        m_tls->shutdown();
        m_tls.reset();
    }
    m_fd.reset();
}

void StreamConnection::dropSource()
{
    if (m_loop && m_sourceId)
        m_loop->removeSource(m_sourceId);
    m_sourceId = 0;
    m_sourceFd = -1;
    m_sourceModes.clear();
}

// ---- reading and writing

std::ptrdiff_t StreamConnection::read(std::uint8_t* buffer, std::size_t length)
{
    auto& s = m_sides[ReadSide];
    switch (s.status) {
    case StreamStatus::Open:
        break;
    case StreamStatus::AtEnd:
        return 0;
    case StreamStatus::Opening:
        return StreamWouldBlock;
    default:
        return -1;
    }
    if (length == 0)
        return 0;
    if (m_tls)
        return tlsRead(buffer, length);
    const ssize_t got = SocketCalls::receive(m_fd.get(), buffer, length);
    if (got > 0 || (got < 0 && SocketCalls::mustRetryLater(errno))) {
        s.armed = true;
        updateSource();
        return got > 0 ? got : StreamWouldBlock;
    }
    if (got == 0) {
        endOfStream();
        return 0;
    }
    fail({StreamErrorDomain::Posix, errno});
    return -1;
}

void StreamConnection::endOfStream()
{
    auto& s = m_sides[ReadSide];
    s.status = StreamStatus::AtEnd;
    s.armed = false;
    s.pending |= StreamEventEndEncountered;
    scheduleDispatch(ReadSide);
    updateSource();
}

std::ptrdiff_t StreamConnection::write(const std::uint8_t* bytes, std::size_t length)
{
    auto& s = m_sides[WriteSide];
    if (s.status == StreamStatus::Opening)
        return StreamWouldBlock;
    if (s.status != StreamStatus::Open)
        return -1;
    if (length == 0)
        return 0;
    if (m_tls)
        return tlsWrite(bytes, length);
    const ssize_t sent = SocketCalls::sendNoSignal(m_fd.get(), bytes, length);
    if (sent >= 0 || SocketCalls::mustRetryLater(errno)) {
        s.armed = true;
        updateSource();
        return sent >= 0 ? sent : StreamWouldBlock;
    }
    fail({StreamErrorDomain::Posix, errno});
    return -1;
}

bool StreamConnection::hasBytesAvailable() const
{
    if (m_sides[ReadSide].status != StreamStatus::Open || m_handshaking)
        return false;
    return (m_tls && m_tls->hasBufferedBytes()) || SocketCalls::isReadable(m_fd.get());
}

bool StreamConnection::canAcceptBytes() const
{
    return m_sides[WriteSide].status == StreamStatus::Open && !m_handshaking && SocketCalls::isWritable(m_fd.get());
}

int StreamConnection::nativeHandle() const
{
    return m_phase == Phase::Connected || m_phase == Phase::Failed ? m_fd.get() : -1;
}

// ---- the run-loop source

bool StreamConnection::sideIsLive(Side side) const
{
    const auto& s = m_sides[side];
    return s.status != StreamStatus::Closed && !s.modes.empty();
}

std::uint32_t StreamConnection::interest() const
{
    if (m_phase == Phase::Connecting)
        return RunLoop::Writable;
    if (m_phase != Phase::Connected)
        return 0;
    if (m_handshaking)
        return m_handshakeWaitsFor;
    std::uint32_t mask = 0;
    if (m_readWaitsForWritable)
        mask |= RunLoop::Writable;
    if (m_writeWaitsForReadable)
        mask |= RunLoop::Readable;
    if (m_sides[ReadSide].armed && m_sides[ReadSide].status == StreamStatus::Open && sideIsLive(ReadSide))
        mask |= RunLoop::Readable;
    if (m_sides[WriteSide].armed && m_sides[WriteSide].status == StreamStatus::Open && sideIsLive(WriteSide))
        mask |= RunLoop::Writable;
    return mask;
}

std::vector<RunLoopMode> StreamConnection::sourceModes() const
{
    std::vector<RunLoopMode> modes = m_sides[ReadSide].modes;
    for (const auto& mode : m_sides[WriteSide].modes) {
        if (std::find(modes.begin(), modes.end(), mode) == modes.end())
            modes.push_back(mode);
    }
    return modes;
}

void StreamConnection::updateSource()
{
    if (!m_loop)
        return;
    const int fd = (m_phase == Phase::Connecting || m_phase == Phase::Connected) ? m_fd.get() : -1;
    auto modes = sourceModes();
    if (m_sourceId && (fd != m_sourceFd || modes != m_sourceModes || fd < 0))
        dropSource();
    if (fd < 0 || modes.empty())
        return;
    if (!m_sourceId) {
        std::weak_ptr<StreamConnection> weak = weak_from_this();
        m_sourceId = m_loop->addSource(fd, interest(), [weak](std::uint32_t events) {
            if (auto self = weak.lock())
                self->sourceEvent(events);
        }, modes);
        m_sourceFd = fd;
        m_sourceModes = std::move(modes);
    } else {
        m_loop->setSourceInterest(m_sourceId, interest());
    }
}

void StreamConnection::sourceEvent(std::uint32_t events)
{
    auto keepAlive = shared_from_this();
    if (m_phase == Phase::Connecting) {
        const int error = SocketCalls::pendingError(m_fd.get());
        if (error == 0 && (events & RunLoop::Writable)) {
            becomeConnected();
            return;
        }
        if (error == 0 && !(events & (RunLoop::Error | RunLoop::Hangup)))
            return;
        m_lastConnectError = error ? error : ECONNREFUSED;
        tryNextCandidate();
        return;
    }
    if (m_phase != Phase::Connected)
        return;
    if (events & RunLoop::Error) {
        if (const int error = SocketCalls::pendingError(m_fd.get())) {
            fail({StreamErrorDomain::Posix, error});
            return;
        }
    }
    if (m_handshaking) {
        continueHandshake();
        return;
    }
    // Every event disarms the sides it concerns, so a hung-up descriptor cannot wake the loop
    // again before a read or write has looked at it.
    auto& r = m_sides[ReadSide];
    auto& w = m_sides[WriteSide];
    // A side whose TLS layer waited for the other direction tries again now.
    if (m_readWaitsForWritable && (events & (RunLoop::Writable | RunLoop::Hangup | RunLoop::Error))) {
        m_readWaitsForWritable = false;
        r.pending |= StreamEventHasBytesAvailable;
    }
    if (m_writeWaitsForReadable && (events & (RunLoop::Readable | RunLoop::Hangup | RunLoop::Error))) {
        m_writeWaitsForReadable = false;
        w.pending |= StreamEventCanAcceptBytes;
    }
    if (r.armed && (events & (RunLoop::Readable | RunLoop::Hangup | RunLoop::Error))) {
        r.armed = false;
        r.pending |= StreamEventHasBytesAvailable;
    }
    if (w.armed && (events & (RunLoop::Writable | RunLoop::Hangup | RunLoop::Error))) {
        w.armed = false;
        w.pending |= StreamEventCanAcceptBytes;
    }
    updateSource();
    deliverOrSchedule(ReadSide);
    deliverOrSchedule(WriteSide);
}

// ---- delivery

void StreamConnection::scheduleDispatch(Side side)
{
    auto& s = m_sides[side];
    if (!m_loop || s.modes.empty() || s.dispatchId || !s.pending)
        return;
    std::weak_ptr<StreamConnection> weak = weak_from_this();
    s.dispatchId = m_loop->perform([weak, side] {
        if (auto self = weak.lock()) {
            self->m_sides[side].dispatchId = 0;
            self->deliver(side);
        }
    }, 0, this, s.modes);
}

void StreamConnection::cancelDispatch(Side side)
{
    auto& s = m_sides[side];
    if (m_loop && s.dispatchId)
        m_loop->cancelPerform(s.dispatchId);
    s.dispatchId = 0;
}

void StreamConnection::deliverOrSchedule(Side side)
{
    // The source fires only in the modes of both sides together; when this side shares all of
    // them the pass is one of its own modes, otherwise its own perform finds one.
    if (m_sides[side].modes == m_sourceModes)
        deliver(side);
    else
        scheduleDispatch(side);
}

void StreamConnection::deliver(Side side)
{
    auto keepAlive = shared_from_this();
    auto& s = m_sides[side];
    for (int round = 0; round < kDeliveryRounds && s.pending; ++round) {
        if (!sideIsLive(side) || !s.client)
            return;
        StreamEvent event = StreamEventNone;
        for (StreamEvent candidate : kDeliveryOrder) {
            if (s.pending & candidate) {
                event = candidate;
                break;
            }
        }
        s.pending &= ~static_cast<std::uint32_t>(event);
        if (!(s.subscribed & event))
            continue;
        Client client = s.client; // the callback may replace or drop the client
        client(event);
    }
    scheduleDispatch(side);
}

// ---- TLS

bool StreamConnection::startTLS(const TlsSettings& settings, std::vector<std::uint8_t> alreadyReceived)
{
    if (m_tls) {
        // Already secured: told as a handshake that has just completed, since the caller now
        // waits for that; one still under way tells when it ends.
        if (!m_handshaking && m_phase == Phase::Connected)
            tellHandshakeDone();
        return true;
    }
    if (m_phase != Phase::Connected || m_sides[ReadSide].status != StreamStatus::Open
        || m_sides[WriteSide].status != StreamStatus::Open)
        return false;
    std::string peerName = m_host;
    if (peerName.empty())
        peerName = SocketAddress::peerOf(m_fd.get()).value_or(SocketAddress()).host().value_or("");
    StreamError refusal;
    m_tls = TlsSession::create(settings, peerName, m_fd.get(), std::move(alreadyReceived), &refusal);
    if (!m_tls) {
        NSLog("TLS settings refused: %s", refusal.reason.c_str());
        return false;
    }
    m_handshaking = true;
    // Readiness of the plain connection says nothing about the TLS layer's.
    for (auto& side : m_sides)
        side.pending &= ~static_cast<std::uint32_t>(StreamEventHasBytesAvailable | StreamEventCanAcceptBytes);
    continueHandshake();
    return true;
}

void StreamConnection::continueHandshake()
{
    switch (m_tls->handshake()) {
    case TlsSession::Status::Done:
        m_handshaking = false;
        m_handshakeWaitsFor = 0;
        tellHandshakeDone();
        break;
    case TlsSession::Status::WantRead:
        m_handshakeWaitsFor = RunLoop::Readable;
        break;
    case TlsSession::Status::WantWrite:
        m_handshakeWaitsFor = RunLoop::Writable;
        break;
    case TlsSession::Status::Closed:
    case TlsSession::Status::Failed:
        m_handshaking = false;
        fail(m_tls->error().isError() ? m_tls->error()
                                      : StreamError {StreamErrorDomain::Ssl, -1, "the handshake was cut short"});
        return;
    }
    updateSource();
}

// The completion is told as one readiness event per side; both stay armed, as whoever takes
// that event may well not read or write yet.
void StreamConnection::tellHandshakeDone()
{
    for (Side side : {ReadSide, WriteSide}) {
        auto& s = m_sides[side];
        s.armed = true;
        s.pending |= side == ReadSide ? StreamEventHasBytesAvailable : StreamEventCanAcceptBytes;
        scheduleDispatch(side);
    }
}

std::ptrdiff_t StreamConnection::tlsRead(std::uint8_t* buffer, std::size_t length)
{
    auto& s = m_sides[ReadSide];
    std::size_t count = 0;
    switch (m_tls->read(buffer, length, &count)) {
    case TlsSession::Status::Done:
    case TlsSession::Status::WantRead:
        s.armed = true;
        updateSource();
        return count > 0 ? static_cast<std::ptrdiff_t>(count) : StreamWouldBlock;
    case TlsSession::Status::WantWrite:
        m_readWaitsForWritable = true;
        updateSource();
        return StreamWouldBlock;
    case TlsSession::Status::Closed:
        endOfStream();
        return 0;
    case TlsSession::Status::Failed:
        break;
    }
    fail(m_tls->error());
    return -1;
}

std::ptrdiff_t StreamConnection::tlsWrite(const std::uint8_t* bytes, std::size_t length)
{
    auto& s = m_sides[WriteSide];
    std::size_t count = 0;
    switch (m_tls->write(bytes, length, &count)) {
    case TlsSession::Status::Done:
    case TlsSession::Status::WantWrite:
        s.armed = true;
        updateSource();
        return count > 0 ? static_cast<std::ptrdiff_t>(count) : StreamWouldBlock;
    case TlsSession::Status::WantRead:
        m_writeWaitsForReadable = true;
        updateSource();
        return StreamWouldBlock;
    case TlsSession::Status::Closed:
        fail({StreamErrorDomain::Posix, EPIPE});
        return -1;
    case TlsSession::Status::Failed:
        break;
    }
    fail(m_tls->error());
    return -1;
}
