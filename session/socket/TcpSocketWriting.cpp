// The writing half of TcpSocket: queueing writes, handing them to the stream, their timeouts.
#include "session/socket/TcpSocket.h"

#include <algorithm>

namespace {

constexpr std::size_t kWriteChunk = 4096; // the most handed to the stream in one call
// Bytes of whole writes sent in one pass; a caller that writes again on each completion, to a
// peer that reads as fast, still lets the loop turn. The rest goes in the next pass.
constexpr std::size_t kMostPerPass = 1 << 20;

} // namespace

void TcpSocket::writeData(std::span<const std::uint8_t> data, TimeInterval timeout, std::int64_t tag)
{
    if (data.empty() || (m_flags & kForbidReadsWrites))
        return;
    auto packet = std::make_unique<AsyncWritePacket>();
    packet->buffer.assign(data.begin(), data.end());
    packet->timeout = timeout;
    packet->tag = tag;
    m_queuedWriteBytes += packet->buffer.size();
    m_writeQueue.push_back(std::move(packet));
    scheduleDequeueWrite();
}

std::size_t TcpSocket::writeBacklog() const
{
    std::size_t backlog = m_queuedWriteBytes;
    if (m_currentWrite && !m_currentWrite->isTlsMarker())
        backlog += m_currentWrite->buffer.size() - m_currentWrite->bytesDone;
    return backlog;
}

void TcpSocket::scheduleDequeueWrite()
{
    if (m_flags & kDequeueWriteScheduled)
        return;
    m_flags |= kDequeueWriteScheduled;
    SocketLoopWork::performLater(*this, loop(), m_runLoopModes, &TcpSocket::maybeDequeueWrite, &m_writeDequeueId);
}

// One write at a time would let a peer that asks for many small ones pile them up here, one
// sent each pass; so writes go on as long as the stream takes them whole.
void TcpSocket::maybeDequeueWrite()
{
    m_flags &= ~kDequeueWriteScheduled;
    std::size_t sent = 0;
    while (takeNextWrite()) {
        const std::size_t length = m_currentWrite->buffer.size();
        if (!doSendBytes())
            return;
        sent += length;
        if (sent >= kMostPerPass) {
            scheduleDequeueWrite();
            return;
        }
    }
}

bool TcpSocket::takeNextWrite()
{
    if (m_currentWrite || !m_writeStream)
        return false;
    if (m_writeQueue.empty()) {
        if ((m_flags & kDisconnectAfterWrites) && (!(m_flags & kDisconnectAfterReads) || readSideIdle()))
            disconnect();
        return false;
    }
    if (markerMustWait(m_writeQueue.front()->isTlsMarker()))
        return false;
    m_currentWrite = std::move(m_writeQueue.front());
    m_writeQueue.pop_front();
    m_queuedWriteBytes -= m_currentWrite->buffer.size();
    if (m_currentWrite->isTlsMarker()) {
        m_flags |= kStartingWriteTLS;
        maybeStartTLS();
        return false;
    }
    if (m_currentWrite->timeout >= 0)
        startWriteTimer(m_currentWrite->timeout);
    return true;
}

bool TcpSocket::doSendBytes()
{
    if (!m_currentWrite || m_currentWrite->isTlsMarker() || !m_writeStream)
        return false;
    AsyncWritePacket& packet = *m_currentWrite;
    std::size_t totalBytesWritten = 0;
    bool done = false;
    bool streamError = false;
    while (!done && !streamError && ((m_flags & kSocketCanAcceptBytes) || m_writeStream->canAcceptBytes())) {
        const std::size_t length = std::min(packet.buffer.size() - packet.bytesDone, kWriteChunk);
        const std::ptrdiff_t count = m_writeStream->write(packet.buffer.data() + packet.bytesDone, length);
        m_flags &= ~kSocketCanAcceptBytes;
        if (count == StreamWouldBlock)
            break;
        if (count < 0) {
            streamError = true;
            break;
        }
        packet.bytesDone += static_cast<std::size_t>(count);
        totalBytesWritten += static_cast<std::size_t>(count);
        done = packet.bytesDone == packet.buffer.size();
    }
    const StreamError error = streamError ? m_writeStream->error() : StreamError {};
    if (done) {
        const Generation generation = m_generation;
        completeCurrentWrite();
        return generation == m_generation;
    }
    if (streamError)
        closeWithError(errorFromCFStreamError(error));
    else if (totalBytesWritten > 0 && m_delegate)
        m_delegate->onSocketDidWritePartialDataOfLength(*this, totalBytesWritten, packet.tag);
    return false;
}

void TcpSocket::completeCurrentWrite()
{
    const Generation generation = m_generation;
    if (m_delegate)
        m_delegate->onSocketDidWriteDataWithTag(*this, m_currentWrite->tag);
    if (generation == m_generation && m_currentWrite)
        endCurrentWrite();
}

void TcpSocket::endCurrentWrite()
{
    if (m_writeTimer)
        m_writeTimer->invalidate();
    m_writeTimer.reset();
    m_currentWrite.reset();
}

void TcpSocket::startWriteTimer(TimeInterval seconds)
{
    m_writeTimer = makeTimer(seconds, &TcpSocket::doWriteTimeout);
}

void TcpSocket::doWriteTimeout()
{
    if (!m_currentWrite)
        return;
    const Generation generation = m_generation;
    TimeInterval extra = 0;
    if (m_delegate)
        extra = m_delegate->onSocketShouldTimeoutWriteWithTag(*this, m_currentWrite->tag, m_currentWrite->timeout,
                                                              m_currentWrite->bytesDone);
    if (generation != m_generation || !m_currentWrite)
        return;
    if (extra > 0) {
        m_currentWrite->timeout += extra;
        startWriteTimer(extra);
    } else {
        closeWithError(getWriteTimeoutError());
    }
}

float TcpSocket::progressOfWriteReturningTag(std::int64_t* tag, std::uint64_t* done, std::uint64_t* total) const
{
    if (!m_currentWrite || m_currentWrite->isTlsMarker())
        return reportProgress({}, tag, done, total);
    const AsyncWritePacket& packet = *m_currentWrite;
    return reportProgress(Progress {packet.tag, packet.bytesDone, packet.buffer.size()}, tag, done, total);
}
