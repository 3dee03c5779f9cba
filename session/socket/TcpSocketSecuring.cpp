// The TLS part of TcpSocket: the marker both queues reach, and starting the handshake there.
#include "session/socket/TcpSocket.h"

#include <algorithm>

void TcpSocket::startTLS(TlsSettings settings)
{
    // One marker in both queues, queued even while draining: TLS starts where both reach it.
    auto marker = std::make_shared<const AsyncSpecialPacket>(AsyncSpecialPacket {std::move(settings)});
    auto read = std::make_unique<AsyncReadPacket>();
    read->special = marker;
    m_readQueue.push_back(std::move(read));
    scheduleDequeueRead();
    auto write = std::make_unique<AsyncWritePacket>();
    write->special = marker;
    m_writeQueue.push_back(std::move(write));
    scheduleDequeueWrite();
}

bool TcpSocket::markerMustWait(bool isTlsMarker) const
{
    // The stream layer takes TLS settings only once the connection is open.
    return isTlsMarker && (!(m_flags & kDidCompleteOpenForRead) || !(m_flags & kDidCompleteOpenForWrite));
}

void TcpSocket::maybeStartTLS()
{
    if (!(m_flags & kStartingReadTLS) || !(m_flags & kStartingWriteTLS))
        return;
    const TlsSettings& settings = m_currentRead->special->tlsSettings;
    // Bytes read ahead past the last plain read are the start of the peer's handshake.
    std::vector<std::uint8_t> early;
    early.swap(m_partialReadBuffer);
    if (!m_readStream->setTLSSettings(settings, std::move(early)) || !m_writeStream->setTLSSettings(settings)) {
        closeWithError(getSocketError());
        return;
    }
    m_tlsHandshakeTimer = makeTimer(tlsHandshakeTimeout(), &TcpSocket::doTLSHandshakeTimeout);
}

// A peer that stalls the handshake would otherwise hold up everything queued behind it for
// good, since no read or write timer runs before its packet is taken up.
TimeInterval TcpSocket::tlsHandshakeTimeout() const
{
    TimeInterval timeout = kTLSHandshakeTimeout;
    for (const auto& packet : m_readQueue) {
        if (packet->timeout >= 0)
            timeout = std::min(timeout, packet->timeout);
    }
    for (const auto& packet : m_writeQueue) {
        if (packet->timeout >= 0)
            timeout = std::min(timeout, packet->timeout);
    }
    return timeout;
}

void TcpSocket::endTLSHandshakeTimeout()
{
    if (m_tlsHandshakeTimer)
        m_tlsHandshakeTimer->invalidate();
    m_tlsHandshakeTimer.reset();
}

void TcpSocket::doTLSHandshakeTimeout()
{
    endTLSHandshakeTimeout();
    closeWithError(getTLSHandshakeTimeoutError());
}

void TcpSocket::onTLSHandshakeSuccessful()
{
    if (!(m_flags & kStartingReadTLS) || !(m_flags & kStartingWriteTLS))
        return;
    m_flags &= ~(kStartingReadTLS | kStartingWriteTLS);
    endTLSHandshakeTimeout();
    const Generation generation = m_generation;
    if (m_delegate)
        m_delegate->onSocketDidSecure(*this);
    if (generation != m_generation)
        return;
    endCurrentRead();
    endCurrentWrite();
    scheduleDequeueRead();
    scheduleDequeueWrite();
}
