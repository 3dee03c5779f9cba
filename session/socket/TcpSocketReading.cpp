// The reading half of TcpSocket: queueing reads, filling them from the pre-buffer and the
// stream, their timeouts, and what is left unread at a close.
#include "session/socket/TcpSocket.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::size_t kReadChunk = 256;    // one step of an available-data or pre-buffering read
constexpr std::size_t kUnreadChunk = 256;
// Bytes taken in one readiness event; a peer that never pauses still lets the loop turn.
// The rest stays in the connection and raises the next event.
constexpr std::size_t kMostPerEvent = 1 << 20;
// unreadData() never waits, and stops here even if the peer keeps sending.
constexpr std::size_t kMostUnread = 4 << 20;

} // namespace

// ---- queueing reads

void TcpSocket::readDataWithTimeout(TimeInterval timeout, std::int64_t tag)
{
    readDataWithTimeout(timeout, nullptr, 0, 0, tag);
}

void TcpSocket::readDataWithTimeout(TimeInterval timeout, Buffer buffer, std::size_t offset, std::int64_t tag)
{
    readDataWithTimeout(timeout, std::move(buffer), offset, 0, tag);
}

void TcpSocket::readDataWithTimeout(TimeInterval timeout, Buffer buffer, std::size_t offset, std::size_t maxLength,
                                    std::int64_t tag)
{
    if (offset > (buffer ? buffer->size() : 0) || (m_flags & kForbidReadsWrites))
        return;
    auto packet = AsyncReadPacket::create(std::move(buffer), offset, 0, timeout, tag);
    packet->maxLength = maxLength;
    queueRead(std::move(packet));
}

void TcpSocket::readDataToLength(std::size_t length, TimeInterval timeout, std::int64_t tag)
{
    readDataToLength(length, timeout, nullptr, 0, tag);
}

void TcpSocket::readDataToLength(std::size_t length, TimeInterval timeout, Buffer buffer, std::size_t offset,
                                 std::int64_t tag)
{
    if (length == 0 || offset > (buffer ? buffer->size() : 0) || (m_flags & kForbidReadsWrites))
        return;
    auto packet = AsyncReadPacket::create(std::move(buffer), offset, length, timeout, tag);
    packet->readLength = length;
    queueRead(std::move(packet));
}

void TcpSocket::readDataToData(std::vector<std::uint8_t> term, TimeInterval timeout, std::int64_t tag)
{
    readDataToData(std::move(term), timeout, nullptr, 0, 0, tag);
}

void TcpSocket::readDataToData(std::vector<std::uint8_t> term, TimeInterval timeout, Buffer buffer,
                               std::size_t offset, std::int64_t tag)
{
    readDataToData(std::move(term), timeout, std::move(buffer), offset, 0, tag);
}

void TcpSocket::readDataToData(std::vector<std::uint8_t> term, TimeInterval timeout, std::size_t maxLength,
                               std::int64_t tag)
{
    readDataToData(std::move(term), timeout, nullptr, 0, maxLength, tag);
}

void TcpSocket::readDataToData(std::vector<std::uint8_t> term, TimeInterval timeout, Buffer buffer,
                               std::size_t offset, std::size_t maxLength, std::int64_t tag)
{
    if (term.empty() || (maxLength > 0 && maxLength < term.size()) || offset > (buffer ? buffer->size() : 0)
        || (m_flags & kForbidReadsWrites))
        return;
    auto packet = AsyncReadPacket::create(std::move(buffer), offset, 0, timeout, tag);
    packet->maxLength = maxLength;
    packet->term = std::move(term);
    queueRead(std::move(packet));
}

void TcpSocket::queueRead(std::unique_ptr<AsyncReadPacket> packet)
{
    m_readQueue.push_back(std::move(packet));
    scheduleDequeueRead();
}

// ---- serving reads

void TcpSocket::scheduleDequeueRead()
{
    if (m_flags & kDequeueReadScheduled)
        return;
    m_flags |= kDequeueReadScheduled;
    SocketLoopWork::performLater(*this, loop(), m_runLoopModes, &TcpSocket::maybeDequeueRead, &m_readDequeueId);
}

void TcpSocket::maybeDequeueRead()
{
    m_flags &= ~kDequeueReadScheduled;
    if (m_currentRead || !m_readStream)
        return;
    if (!m_readQueue.empty()) {
        if (markerMustWait(m_readQueue.front()->isTlsMarker()))
            return;
        m_currentRead = std::move(m_readQueue.front());
        m_readQueue.pop_front();
        if (m_currentRead->isTlsMarker()) {
            m_flags |= kStartingReadTLS;
            maybeStartTLS();
            return;
        }
        if (m_currentRead->timeout >= 0)
            startReadTimer(m_currentRead->timeout);
        doBytesAvailable();
    } else if ((m_flags & kDisconnectAfterReads) && (!(m_flags & kDisconnectAfterWrites) || writeSideIdle())) {
        disconnect();
    }
}

bool TcpSocket::hasBytesAvailable() const
{
    return (m_flags & kSocketHasBytesAvailable) || !m_partialReadBuffer.empty() || m_readStream->hasBytesAvailable();
}

std::ptrdiff_t TcpSocket::readIntoBuffer(std::uint8_t* buffer, std::size_t length)
{
    if (!m_partialReadBuffer.empty()) {
        const std::size_t count = std::min(length, m_partialReadBuffer.size());
        std::memcpy(buffer, m_partialReadBuffer.data(), count);
        m_partialReadBuffer.erase(m_partialReadBuffer.begin(), m_partialReadBuffer.begin() + count);
        return static_cast<std::ptrdiff_t>(count);
    }
    m_flags &= ~kSocketHasBytesAvailable;
    return m_readStream->read(buffer, length);
}

std::size_t TcpSocket::limitByCallerBuffer(std::size_t length) const
{
    const auto& packet = *m_currentRead;
    // A caller's buffer that has not grown is filled up to its end before it is made longer.
    if (!packet.bufferOwner && packet.buffer->size() == packet.originalBufferLength) {
        const std::size_t used = packet.startOffset + packet.bytesDone;
        const std::size_t room = packet.buffer->size() > used ? packet.buffer->size() - used : 0;
        if (room > 0)
            return std::min(length, room);
    }
    return length;
}

std::size_t TcpSocket::readLengthForNonTerm() const
{
    const auto& packet = *m_currentRead;
    if (packet.readLength > 0)
        return packet.readLength - packet.bytesDone;
    const std::size_t length = packet.maxLength > 0 ? std::min(kReadChunk, packet.maxLength - packet.bytesDone)
                                                    : kReadChunk;
    return limitByCallerBuffer(length);
}

std::size_t TcpSocket::prebufferReadLengthForTerm() const
{
    const auto& packet = *m_currentRead;
    const std::size_t length = packet.maxLength > 0 ? std::min(kReadChunk, packet.maxLength - packet.bytesDone)
                                                    : kReadChunk;
    return limitByCallerBuffer(length);
}

std::size_t TcpSocket::readLengthForTermWithPreBuffer(bool& found) const
{
    const auto& packet = *m_currentRead;
    const std::size_t p = m_partialReadBuffer.size();
    const std::size_t t = packet.term.size();
    const std::size_t b = packet.bytesDone;
    found = false;
    if (b + p < t)
        return p;
    // Never past the maximum: what is not taken stays pre-buffered for the next read.
    const std::size_t m = packet.maxLength > 0 ? std::min(p, packet.maxLength - b) : p;
    const std::size_t k = std::min(b, t - 1);
    // The candidate bytes: the last k received, then the first m pre-buffered.
    const std::uint8_t* tail = packet.received() + (b - k);
    auto at = [&](std::size_t i) { return i < k ? tail[i] : m_partialReadBuffer[i - k]; };
    for (std::size_t start = 0; start + t <= k + m; ++start) {
        std::size_t matched = 0;
        while (matched < t && at(start + matched) == packet.term[matched])
            ++matched;
        if (matched == t) {
            found = true;
            return start + t - k;
        }
    }
    return m;
}

bool TcpSocket::searchForTermAfterPreBuffering(std::size_t justRead)
{
    auto& packet = *m_currentRead;
    const std::size_t t = packet.term.size();
    const std::size_t before = packet.bytesDone - justRead;
    std::size_t start = before + 1 > t ? before + 1 - t : 0;
    const std::uint8_t* data = packet.received();
    for (; start + t <= packet.bytesDone; ++start) {
        if (std::memcmp(data + start, packet.term.data(), t) != 0)
            continue;
        const std::size_t end = start + t;
        const std::size_t overflow = packet.bytesDone - end;
        m_partialReadBuffer.insert(m_partialReadBuffer.end(), data + end, data + end + overflow);
        packet.bytesDone = end;
        return true;
    }
    return false;
}

TcpSocket::ReadStep TcpSocket::readStep(std::size_t& totalBytesRead)
{
    AsyncReadPacket& packet = *m_currentRead;
    const bool isTermRead = !packet.term.empty();
    bool fromPreBuffer = false;
    bool foundInPreBuffer = false;
    std::size_t length;
    if (isTermRead) {
        if (!m_partialReadBuffer.empty()) {
            fromPreBuffer = true;
            length = readLengthForTermWithPreBuffer(foundInPreBuffer);
        } else {
            length = prebufferReadLengthForTerm();
        }
    } else {
        length = readLengthForNonTerm();
    }
    if (length == 0)
        return ReadStep::Paused;
    const std::size_t needed = packet.startOffset + packet.bytesDone + length;
    if (packet.buffer->size() < needed)
        packet.buffer->resize(needed);
    const std::ptrdiff_t count = readIntoBuffer(packet.writePosition(), length);
    if (count == StreamWouldBlock)
        return ReadStep::Paused;
    if (count < 0)
        return ReadStep::StreamFailed;
    if (count == 0)
        return ReadStep::EndOfStream; // a clean end: the socket closes without error
    const auto got = static_cast<std::size_t>(count);
    packet.bytesDone += got;
    totalBytesRead += got;
    const bool atMaximum = packet.maxLength > 0 && packet.bytesDone >= packet.maxLength;
    if (packet.readLength > 0)
        return packet.bytesDone == packet.readLength ? ReadStep::Complete : ReadStep::Progressed;
    if (isTermRead) {
        if (fromPreBuffer ? foundInPreBuffer : searchForTermAfterPreBuffering(got))
            return ReadStep::Complete;
        return atMaximum ? ReadStep::MaxedOut : ReadStep::Progressed;
    }
    return atMaximum ? ReadStep::Complete : ReadStep::Progressed;
}

void TcpSocket::doBytesAvailable()
{
    if (!m_currentRead || m_currentRead->isTlsMarker() || !m_readStream)
        return;
    AsyncReadPacket& packet = *m_currentRead;
    std::size_t totalBytesRead = 0;
    ReadStep step = ReadStep::Progressed;
    while (step == ReadStep::Progressed && totalBytesRead < kMostPerEvent && hasBytesAvailable())
        step = readStep(totalBytesRead);

    const bool isAvailableRead = packet.term.empty() && packet.readLength == 0;
    const bool done = step == ReadStep::Complete || (isAvailableRead && packet.bytesDone > 0);
    // Taken now: the delegate may close the socket, or connect it anew, in the calls below.
    const StreamError error = step == ReadStep::StreamFailed ? m_readStream->error() : StreamError {};
    const std::int64_t tag = packet.tag;
    const Generation generation = m_generation;
    if (done) {
        completeCurrentRead();
        if (generation != m_generation)
            return;
        if (step != ReadStep::StreamFailed)
            scheduleDequeueRead();
    } else if (totalBytesRead > 0 && m_delegate) {
        m_delegate->onSocketDidReadPartialDataOfLength(*this, totalBytesRead, tag);
        if (generation != m_generation)
            return;
    }
    if (step == ReadStep::StreamFailed)
        closeWithError(errorFromCFStreamError(error));
    else if (step == ReadStep::MaxedOut)
        closeWithError(getReadMaxedOutError());
    else if (step == ReadStep::EndOfStream)
        closeWithError(std::nullopt);
}

void TcpSocket::completeCurrentRead()
{
    AsyncReadPacket& packet = *m_currentRead;
    std::span<const std::uint8_t> data;
    if (packet.bufferOwner) {
        packet.buffer->resize(packet.bytesDone);
        data = *packet.buffer;
    } else {
        if (packet.buffer->size() > packet.originalBufferLength)
            packet.buffer->resize(std::max(packet.startOffset + packet.bytesDone, packet.originalBufferLength));
        data = {packet.buffer->data() + packet.startOffset, packet.bytesDone};
    }
    const auto keepBytes = packet.buffer; // the delegate may end the packet while it reads them
    const Generation generation = m_generation;
    if (m_delegate)
        m_delegate->onSocketDidReadData(*this, data, packet.tag);
    if (generation == m_generation && m_currentRead)
        endCurrentRead();
}

void TcpSocket::endCurrentRead()
{
    if (m_readTimer)
        m_readTimer->invalidate();
    m_readTimer.reset();
    m_currentRead.reset();
}

void TcpSocket::startReadTimer(TimeInterval seconds)
{
    m_readTimer = makeTimer(seconds, &TcpSocket::doReadTimeout);
}

void TcpSocket::doReadTimeout()
{
    if (!m_currentRead)
        return;
    const Generation generation = m_generation;
    TimeInterval extra = 0;
    if (m_delegate)
        extra = m_delegate->onSocketShouldTimeoutReadWithTag(*this, m_currentRead->tag, m_currentRead->timeout,
                                                             m_currentRead->bytesDone);
    if (generation != m_generation || !m_currentRead)
        return;
    if (extra > 0) {
        m_currentRead->timeout += extra;
        startReadTimer(extra);
    } else {
        closeWithError(getReadTimeoutError());
    }
}

void TcpSocket::recoverUnreadData()
{
    if (m_currentRead && m_currentRead->bytesDone > 0) {
        const std::uint8_t* received = m_currentRead->received();
        m_partialReadBuffer.insert(m_partialReadBuffer.begin(), received, received + m_currentRead->bytesDone);
    }
    emptyQueues();
}

const std::vector<std::uint8_t>* TcpSocket::unreadData()
{
    if (!(m_flags & kClosingWithError) || !m_readStream)
        return nullptr;
    for (std::size_t total = 0; total < kMostUnread;) {
        const std::size_t used = m_partialReadBuffer.size();
        m_partialReadBuffer.resize(used + kUnreadChunk);
        const std::ptrdiff_t count = m_readStream->read(m_partialReadBuffer.data() + used, kUnreadChunk);
        if (count <= 0) { // nothing more now, the end, or an error: never wait
            m_partialReadBuffer.resize(used);
            break;
        }
        m_partialReadBuffer.resize(used + static_cast<std::size_t>(count));
        total += static_cast<std::size_t>(count);
    }
    return &m_partialReadBuffer;
}

float TcpSocket::progressOfReadReturningTag(std::int64_t* tag, std::uint64_t* done, std::uint64_t* total) const
{
    if (!m_currentRead || m_currentRead->isTlsMarker())
        return reportProgress({}, tag, done, total);
    const AsyncReadPacket& packet = *m_currentRead;
    return reportProgress(Progress {packet.tag, packet.bytesDone, packet.readLength}, tag, done, total);
}
