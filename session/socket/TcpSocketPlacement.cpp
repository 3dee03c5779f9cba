// The run-loop placement of TcpSocket (which loop and modes its sources, timers and work use),
// and the description that reports where it stands.
#include "session/socket/TcpSocket.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* statusName(StreamStatus status)
{
    static const char* const names[] = {"not open", "opening", "open", "reading",
                                        "writing", "at end", "closed", "has error"};
    const auto index = static_cast<std::size_t>(status);
    return index < std::size(names) ? names[index] : "not open";
}

std::string format(const char* pattern, auto... values)
{
    char text[256];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

int percent(std::uint64_t done, std::uint64_t total)
{
    if (done == 0)
        return 0;
    return total == 0 ? 100 : static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

} // namespace

bool TcpSocket::moveToRunLoop(RunLoop* runLoop)
{
    if (!runLoop)
        return false;
    if (runLoop == &loop())
        return true;
    cancelPendingWork();
    detachFrom(loop());
    m_homeRunLoop = runLoop;
    if (m_runLoop)
        m_runLoop = runLoop;
    // The new loop may be another thread's: only its own thread may put anything on it.
    std::weak_ptr<TcpSocket> weak = weakSelf();
    runLoop->post([weak] {
        if (auto self = weak.lock()) {
            self->m_runLoopThread = std::this_thread::get_id();
            self->attachTo(self->loop());
            self->postPlacementWork();
        }
    });
    return true;
}

bool TcpSocket::setRunLoopModes(std::vector<RunLoopMode> modes)
{
    if (modes.empty())
        return false;
    if (modes == m_runLoopModes)
        return true;
    changeModes(std::move(modes));
    return true;
}

bool TcpSocket::addRunLoopMode(const RunLoopMode& mode)
{
    if (mode.empty())
        return false;
    if (std::find(m_runLoopModes.begin(), m_runLoopModes.end(), mode) != m_runLoopModes.end())
        return true;
    auto modes = m_runLoopModes;
    modes.push_back(mode);
    changeModes(std::move(modes));
    return true;
}

bool TcpSocket::removeRunLoopMode(const RunLoopMode& mode)
{
    if (mode.empty())
        return false;
    auto modes = m_runLoopModes;
    std::erase(modes, mode);
    if (modes.size() == m_runLoopModes.size())
        return true;
    if (modes.empty())
        return false; // a socket always runs in some mode
    changeModes(std::move(modes));
    return true;
}

void TcpSocket::changeModes(std::vector<RunLoopMode> modes)
{
    cancelPendingWork();
    detachFrom(loop());
    m_runLoopModes = std::move(modes);
    attachTo(loop());
    postPlacementWork();
}

void TcpSocket::cancelPendingWork()
{
    // Every deferred call is posted again in the new placement; forgetting the ids as well
    // lets a pending disconnect-after be scheduled anew instead of waiting for a dead perform.
    loop().cancelPerforms(this);
    m_readDequeueId = 0;
    m_writeDequeueId = 0;
    m_disconnectId = 0;
    m_flags &= ~(kDequeueReadScheduled | kDequeueWriteScheduled);
}

void TcpSocket::detachFrom(RunLoop& runLoop)
{
    if (m_readStream)
        m_readStream->unscheduleFromRunLoop(runLoop, m_runLoopModes);
    if (m_writeStream)
        m_writeStream->unscheduleFromRunLoop(runLoop, m_runLoopModes);
    for (auto* socket : {m_socket4.get(), m_socket6.get()}) {
        if (socket)
            socket->unscheduleEvents();
    }
    for (auto* timer : {m_connectTimer.get(), m_tlsHandshakeTimer.get(), m_readTimer.get(), m_writeTimer.get()}) {
        if (timer)
            timer->removeFromRunLoop();
    }
}

void TcpSocket::attachTo(RunLoop& runLoop)
{
    for (auto* timer : {m_connectTimer.get(), m_tlsHandshakeTimer.get(), m_readTimer.get(), m_writeTimer.get()}) {
        if (timer)
            timer->addToRunLoop(runLoop, m_runLoopModes);
    }
    if (!m_runLoop)
        return; // idle: nothing is attached until it connects or listens
    for (auto* socket : {m_socket4.get(), m_socket6.get()}) {
        if (socket)
            socket->scheduleEvents(runLoop, m_runLoopModes);
    }
    if (m_readStream)
        m_readStream->scheduleInRunLoop(runLoop, m_runLoopModes);
    if (m_writeStream)
        m_writeStream->scheduleInRunLoop(runLoop, m_runLoopModes);
}

void TcpSocket::postPlacementWork()
{
    scheduleDequeueRead();
    scheduleDequeueWrite();
    std::weak_ptr<TcpSocket> weak = weakSelf();
    loop().perform([weak] {
        if (auto self = weak.lock())
            self->maybeScheduleDisconnect();
    }, 0, this, m_runLoopModes);
}

std::string TcpSocket::endpointDescription(bool local) const
{
    const auto host4 = local ? localHost4() : connectedHost4();
    const auto host6 = local ? localHost6() : connectedHost6();
    const unsigned port = local ? localPort() : connectedPort();
    if (isIPv4() && isIPv6())
        return host4.value_or("(null)") + "/" + host6.value_or("(null)") + " " + std::to_string(port);
    if (isIPv4())
        return host4.value_or("(null)") + " " + std::to_string(local ? localPort4() : connectedPort4());
    if (isIPv6())
        return host6.value_or("(null)") + " " + std::to_string(local ? localPort6() : connectedPort6());
    return "nowhere";
}

std::string TcpSocket::description() const
{
    std::string text;
    text.reserve(150);
    text += format("<TcpSocket %p", static_cast<const void*>(this));
    text += " local " + endpointDescription(true) + " remote " + endpointDescription(false) + " ";
    text += format("has queued %u reads %u writes, ", static_cast<unsigned>(m_readQueue.size()),
                   static_cast<unsigned>(m_writeQueue.size()));
    if (!m_currentRead || m_currentRead->isTlsMarker())
        text += "no current read, ";
    else
        text += format("currently read %u bytes (%d%% done), ", static_cast<unsigned>(m_currentRead->buffer->size()),
                       percent(m_currentRead->bytesDone, m_currentRead->readLength));
    if (!m_currentWrite || m_currentWrite->isTlsMarker())
        text += "no current write, ";
    else
        text += format("currently written %u (%d%%), ", static_cast<unsigned>(m_currentWrite->buffer.size()),
                       percent(m_currentWrite->bytesDone, m_currentWrite->buffer.size()));
    text += format("read stream %p %s, ", static_cast<const void*>(m_readStream.get()),
                   statusName(m_readStream ? m_readStream->status() : StreamStatus::NotOpen));
    text += format("write stream %p %s", static_cast<const void*>(m_writeStream.get()),
                   statusName(m_writeStream ? m_writeStream->status() : StreamStatus::NotOpen));
    const bool afterReads = m_flags & kDisconnectAfterReads;
    const bool afterWrites = m_flags & kDisconnectAfterWrites;
    if (afterReads && afterWrites)
        text += ", will disconnect after reads & writes";
    else if (afterReads)
        text += ", will disconnect after reads";
    else if (afterWrites)
        text += ", will disconnect after writes";
    if (!isConnected())
        text += ", not connected";
    return text + ">";
}
