// The TLS part of TcpSocket: the marker both queues reach, and starting the handshake there.
#include "session/socket/TcpSocket.h"

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
    if (!m_readStream->setTLSSettings(settings, std::move(early)) || !m_writeStream->setTLSSettings(settings))
        closeWithError(getSocketError());
}

void TcpSocket::onTLSHandshakeSuccessful()
{
    if (!(m_flags & kStartingReadTLS) || !(m_flags & kStartingWriteTLS))
        return;
    m_flags &= ~(kStartingReadTLS | kStartingWriteTLS);
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
