// The sending half of UdpSocket: queueing datagrams, handing them to the socket, their timeouts.
#include "session/socket/UdpSocket.h"

#include "platform/net/SocketCalls.h"

#include <cerrno>
#include <sys/socket.h>

bool UdpSocket::sendData(std::span<const std::uint8_t> data, TimeInterval timeout, std::int64_t tag)
{
    if (data.empty() || (m_flags & kForbidSendReceive) || isClosed() || !isConnected())
        return false;
    return queueSend(data, {}, timeout, tag);
}

bool UdpSocket::sendData(std::span<const std::uint8_t> data, const std::string& host, std::uint16_t port,
                         TimeInterval timeout, std::int64_t tag)
{
    if (data.empty() || (m_flags & kForbidSendReceive) || isClosed() || isConnected())
        return false;
    Address address4;
    Address address6;
    if (convertForSendHost(host, port, &address4, &address6) != 0)
        return false;
    if (!address4.empty() && isIPv4())
        return queueSend(data, std::move(address4), timeout, tag);
    if (!address6.empty() && isIPv6())
        return queueSend(data, std::move(address6), timeout, tag);
    return false;
}

bool UdpSocket::sendDataToAddress(std::span<const std::uint8_t> data, const Address& address, TimeInterval timeout,
                                  std::int64_t tag)
{
    if (data.empty() || (m_flags & kForbidSendReceive) || isClosed() || isConnected())
        return false;
    if ((address.size() == kAddress4Length && !isIPv4()) || (address.size() == kAddress6Length && !isIPv6()))
        return false;
    return queueSend(data, address, timeout, tag);
}

bool UdpSocket::queueSend(std::span<const std::uint8_t> data, Address address, TimeInterval timeout, std::int64_t tag)
{
    auto packet = std::make_unique<AsyncSendPacket>();
    packet->buffer.assign(data.begin(), data.end());
    packet->address = std::move(address);
    packet->timeout = timeout;
    packet->tag = tag;
    m_sendQueue.push_back(std::move(packet));
    scheduleDequeueSend();
    return true;
}

void UdpSocket::scheduleDequeueSend()
{
    if (m_flags & kDequeueSendScheduled)
        return;
    m_flags |= kDequeueSendScheduled;
    performLater(&UdpSocket::maybeDequeueSend, &m_sendDequeueId);
}

void UdpSocket::maybeDequeueSend()
{
    m_flags &= ~kDequeueSendScheduled;
    if (m_currentSend)
        return;
    if (m_sendQueue.empty()) {
        if ((m_flags & kCloseAfterSends) && (!(m_flags & kCloseAfterReceives) || receiveSideIdle()))
            close();
        return;
    }
    m_currentSend = std::move(m_sendQueue.front());
    m_sendQueue.pop_front();
    if (m_currentSend->timeout >= 0)
        m_sendTimer = makeTimer(m_currentSend->timeout, &UdpSocket::doSendTimeout);
    doSend(socketForPacket(*m_currentSend));
}

bool UdpSocket::socketForPacket(const AsyncSendPacket& packet) const
{
    if (!isIPv4())
        return false;
    if (!isIPv6())
        return true;
    return packet.address.size() == kAddress4Length;
}

void UdpSocket::doSend(bool v4)
{
    if (!m_currentSend || socketForPacket(*m_currentSend) != v4)
        return;
    Family& f = family(v4);
    const std::uint16_t writable = v4 ? kSock4CanAcceptBytes : kSock6CanAcceptBytes;
    if (!f.isValid())
        return;
    if (!(m_flags & writable) && !SocketCalls::isWritable(f.fd.get())) {
        f.events->enable(RunLoop::Writable);
        return;
    }
    const auto& packet = *m_currentSend;
    const ssize_t sent = packet.address.empty()
        ? ::send(f.fd.get(), packet.buffer.data(), packet.buffer.size(), MSG_NOSIGNAL | MSG_DONTWAIT)
        : ::sendto(f.fd.get(), packet.buffer.data(), packet.buffer.size(), MSG_NOSIGNAL | MSG_DONTWAIT,
                   reinterpret_cast<const sockaddr*>(packet.address.data()),
                   static_cast<socklen_t>(packet.address.size()));
    m_flags &= ~writable;
    if (sent < 0 && SocketCalls::mustRetryLater(errno)) {
        f.events->enable(RunLoop::Writable); // full after all: try again when there is room
        return;
    }
    const Generation generation = m_generation;
    if (sent < 0) {
        failCurrentSend(getErrnoError());
    } else {
        m_flags |= kDidBind;
        completeCurrentSend();
    }
    if (generation == m_generation)
        scheduleDequeueSend();
}

void UdpSocket::completeCurrentSend()
{
    const Generation generation = m_generation;
    if (m_delegate)
        m_delegate->onUdpSocketDidSendDataWithTag(*this, m_currentSend->tag);
    if (generation == m_generation && m_currentSend)
        endCurrentSend();
}

void UdpSocket::failCurrentSend(const SocketError& error)
{
    const Generation generation = m_generation;
    if (m_delegate)
        m_delegate->onUdpSocketDidNotSendDataWithTag(*this, m_currentSend->tag, error);
    if (generation == m_generation && m_currentSend)
        endCurrentSend();
}

void UdpSocket::endCurrentSend()
{
    if (m_sendTimer)
        m_sendTimer->invalidate();
    m_sendTimer.reset();
    m_currentSend.reset();
}

void UdpSocket::doSendTimeout(NSTimer& timer)
{
    if (&timer != m_sendTimer.get() || !m_currentSend)
        return;
    const Generation generation = m_generation;
    failCurrentSend({UdpSocketErrorDomain, UdpSocketSendTimeoutError, "Send operation timed out"});
    if (generation == m_generation)
        scheduleDequeueSend();
}
