// The receiving half of UdpSocket: queueing receives, taking datagrams from the sockets, their
// timeouts.
#include "session/socket/UdpSocket.h"

#include "platform/net/SocketAddress.h"
#include "platform/net/SocketCalls.h"

#include <cerrno>
#include <sys/socket.h>

void UdpSocket::receiveWithTimeout(TimeInterval timeout, std::int64_t tag)
{
    if ((m_flags & kForbidSendReceive) || isClosed())
        return;
    auto packet = std::make_unique<AsyncReceivePacket>();
    packet->timeout = timeout;
    packet->tag = tag;
    m_receiveQueue.push_back(std::move(packet));
    scheduleDequeueReceive();
}

void UdpSocket::scheduleDequeueReceive()
{
    if (m_flags & kDequeueReceiveScheduled)
        return;
    m_flags |= kDequeueReceiveScheduled;
    performLater(&UdpSocket::maybeDequeueReceive, &m_receiveDequeueId);
}

void UdpSocket::maybeDequeueReceive()
{
    m_flags &= ~kDequeueReceiveScheduled;
    if (m_currentReceive)
        return;
    if (m_receiveQueue.empty()) {
        if ((m_flags & kCloseAfterReceives) && (!(m_flags & kCloseAfterSends) || sendSideIdle()))
            close();
        return;
    }
    m_currentReceive = std::move(m_receiveQueue.front());
    m_receiveQueue.pop_front();
    if (m_currentReceive->timeout >= 0)
        m_receiveTimer = makeTimer(m_currentReceive->timeout, &UdpSocket::doReceiveTimeout);
    // The families take turns at being read first, IPv6 to begin with.
    const bool v4First = m_flags & kFlipFlop;
    m_flags ^= kFlipFlop;
    const Generation generation = m_generation;
    doReceive(v4First);
    if (generation == m_generation)
        doReceive(!v4First);
}

void UdpSocket::doReceive(bool v4)
{
    const Generation generation = m_generation;
    // The delegate may close the socket, or only this family (by connecting to the other one).
    const auto stillReading = [&] { return m_currentReceive && generation == m_generation && family(v4).isValid(); };
    for (int taken = 0; taken < kMostDatagramsPerEvent; ++taken) {
        if (!stillReading())
            return;
        const ReadOutcome outcome = readOneDatagram(v4);
        if (outcome == ReadOutcome::Waiting || outcome == ReadOutcome::Finished)
            return;
        if (outcome == ReadOutcome::Dropped)
            continue;
        const auto keepAlive = shared_from_this();
        if (maybeCompleteCurrentReceive()) {
            if (generation == m_generation)
                scheduleDequeueReceive();
            return;
        }
        if (generation == m_generation && m_currentReceive) {
            m_currentReceive->buffer.reset(); // declined: the datagram is gone
            m_currentReceive->host.reset();
        }
    }
    // Datagrams keep coming: the rest wait for the next pass.
    if (stillReading())
        family(v4).events->enable(RunLoop::Readable);
}

UdpSocket::ReadOutcome UdpSocket::readOneDatagram(bool v4)
{
    Family& f = family(v4);
    const std::uint16_t readable = v4 ? kSock4HasBytesAvailable : kSock6HasBytesAvailable;
    if (!(m_flags & readable) && !SocketCalls::isReadable(f.fd.get())) {
        f.events->enable(RunLoop::Readable);
        return ReadOutcome::Waiting;
    }
    std::vector<std::uint8_t> buffer(m_maxReceiveBufferSize);
    sockaddr_storage sender {};
    iovec part {buffer.data(), buffer.size()};
    msghdr message {};
    message.msg_name = &sender;
    message.msg_namelen = sizeof sender;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    const ssize_t got = ::recvmsg(f.fd.get(), &message, MSG_DONTWAIT);
    m_flags &= ~readable;
    if (got < 0 && SocketCalls::mustRetryLater(errno)) {
        f.events->enable(RunLoop::Readable);
        return ReadOutcome::Waiting;
    }
    if (got >= 0 && (message.msg_flags & MSG_TRUNC))
        errno = EMSGSIZE; // a datagram cut short is a failed receive, not a short one
    if (got < 0 || (message.msg_flags & MSG_TRUNC)) {
        const Generation generation = m_generation;
        failCurrentReceive(getErrnoError());
        if (generation == m_generation)
            scheduleDequeueReceive();
        return ReadOutcome::Finished;
    }
    const SocketAddress from(reinterpret_cast<const sockaddr*>(&sender), message.msg_namelen);
    const std::string host = from.host().value_or("");
    if (isConnected() && !isConnectedToHost(host, from.port()))
        return ReadOutcome::Dropped;
    buffer.resize(static_cast<std::size_t>(got));
    m_currentReceive->buffer = std::move(buffer);
    m_currentReceive->host = host;
    m_currentReceive->port = from.port();
    return ReadOutcome::Stored;
}

bool UdpSocket::maybeCompleteCurrentReceive()
{
    const Generation generation = m_generation;
    bool done = true;
    if (m_delegate) {
        const auto& packet = *m_currentReceive;
        done = m_delegate->onUdpSocketDidReceiveData(*this, *packet.buffer, packet.tag, *packet.host, packet.port);
    }
    if (done && generation == m_generation && m_currentReceive)
        endCurrentReceive();
    return done;
}

void UdpSocket::failCurrentReceive(const SocketError& error)
{
    const Generation generation = m_generation;
    if (m_delegate)
        m_delegate->onUdpSocketDidNotReceiveDataWithTag(*this, m_currentReceive->tag, error);
    if (generation == m_generation && m_currentReceive)
        endCurrentReceive();
}

void UdpSocket::endCurrentReceive()
{
    if (m_receiveTimer)
        m_receiveTimer->invalidate();
    m_receiveTimer.reset();
    m_currentReceive.reset();
}

void UdpSocket::doReceiveTimeout(NSTimer& timer)
{
    if (&timer != m_receiveTimer.get() || !m_currentReceive)
        return;
    const Generation generation = m_generation;
    failCurrentReceive({UdpSocketErrorDomain, UdpSocketReceiveTimeoutError, "Receive operation timed out"});
    if (generation == m_generation)
        scheduleDequeueReceive();
}
