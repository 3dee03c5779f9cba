// UdpSocket's core: construction, socket events, run-loop placement and closing. Setup,
// sending and receiving each have a file of their own.
#include "session/socket/UdpSocket.h"

#include "platform/net/SocketCalls.h"

#include <algorithm>
#include <cerrno>
#include <sys/socket.h>

std::shared_ptr<UdpSocket> UdpSocket::create(UdpSocketDelegate* delegate, std::int64_t userData, bool enableIPv4,
                                             bool enableIPv6, RunLoop& runLoop)
{
    auto socket = std::make_shared<UdpSocket>(Passkey {}, delegate, userData, runLoop);
    // The event sources hold the socket weakly, so they are made once it is shared.
    if (enableIPv4)
        socket->openFamily(true);
    if (enableIPv6)
        socket->openFamily(false);
    return socket;
}

std::shared_ptr<UdpSocket> UdpSocket::createIPv4(RunLoop& runLoop)
{
    return create(nullptr, 0, true, false, runLoop);
}

std::shared_ptr<UdpSocket> UdpSocket::createIPv6(RunLoop& runLoop)
{
    return create(nullptr, 0, false, true, runLoop);
}

UdpSocket::UdpSocket(Passkey, UdpSocketDelegate* delegate, std::int64_t userData, RunLoop& runLoop)
    : m_runLoop(&runLoop)
    , m_delegate(delegate)
    , m_userData(userData)
{
}

UdpSocket::~UdpSocket()
{
    emptyQueues();
    closeFamily(true);
    closeFamily(false);
    m_runLoop->cancelPerforms(this); // the close notice included: a released socket tells nobody
}

void UdpSocket::openFamily(bool v4)
{
    Family& f = family(v4);
    f.fd = SocketCalls::createDatagramSocket(v4 ? AF_INET : AF_INET6);
    if (!f.fd)
        return; // a family the system refuses is simply absent
    std::weak_ptr<UdpSocket> weak = weak_from_this();
    f.events = std::make_unique<FdEvents>(f.fd.get(), [weak, v4](std::uint32_t events) {
        if (auto self = weak.lock())
            self->socketEvent(v4, events);
    });
    f.events->schedule(loop(), m_runLoopModes);
}

void UdpSocket::closeFamily(bool v4)
{
    Family& f = family(v4);
    f.events.reset();
    f.fd.reset();
}

// A fresh socket in place of the old one, waiting for what the current requests waited for.
// Broadcast, which may be enabled before binding, is the one option an unbound socket can hold.
void UdpSocket::reopenFamily(bool v4)
{
    int broadcast = 0;
    socklen_t size = sizeof broadcast;
    ::getsockopt(family(v4).fd.get(), SOL_SOCKET, SO_BROADCAST, &broadcast, &size);
    closeFamily(v4);
    openFamily(v4);
    m_flags &= ~(v4 ? kSock4CanAcceptBytes | kSock4HasBytesAvailable : kSock6CanAcceptBytes | kSock6HasBytesAvailable);
    Family& f = family(v4);
    if (!f.isValid())
        return;
    ::setsockopt(f.fd.get(), SOL_SOCKET, SO_BROADCAST, &broadcast, sizeof broadcast);
    f.events->enable((m_currentReceive ? RunLoop::Readable : 0u) | (m_currentSend ? RunLoop::Writable : 0u));
}

void UdpSocket::setMaxReceiveBufferSize(std::uint32_t size)
{
    m_maxReceiveBufferSize = std::clamp<std::uint32_t>(size, 1, 65535);
}

void UdpSocket::checkNotClosed() const
{
    if (isClosed())
        throw UdpSocketException("The socket is closed.");
}

SocketError UdpSocket::getErrnoError()
{
    return posixError(errno);
}

// ---- events

void UdpSocket::socketEvent(bool v4, std::uint32_t events)
{
    // An error (a refusal reported by the system) is read like a datagram: the read reveals it.
    if (events & (RunLoop::Readable | RunLoop::Hangup | RunLoop::Error)) {
        m_flags |= v4 ? kSock4HasBytesAvailable : kSock6HasBytesAvailable;
        const Generation generation = m_generation;
        doReceive(v4);
        if (generation != m_generation)
            return;
    }
    if (events & (RunLoop::Writable | RunLoop::Hangup | RunLoop::Error)) {
        m_flags |= v4 ? kSock4CanAcceptBytes : kSock6CanAcceptBytes;
        doSend(v4);
    }
}

// ---- placement

bool UdpSocket::setRunLoopModes(std::vector<RunLoopMode> modes)
{
    if (modes.empty())
        return false;
    if (modes == m_runLoopModes)
        return true;
    cancelPendingWork();
    detach();
    m_runLoopModes = std::move(modes);
    attach();
    postPlacementWork();
    return true;
}

bool UdpSocket::moveToRunLoop(RunLoop* runLoop)
{
    if (!runLoop)
        return false;
    if (runLoop == m_runLoop)
        return true;
    cancelPendingWork();
    detach();
    m_runLoop = runLoop;
    // Another thread's loop takes the socket on by its own thread.
    std::weak_ptr<UdpSocket> weak = weak_from_this();
    runLoop->post([weak] {
        if (auto self = weak.lock()) {
            self->attach();
            self->postPlacementWork();
        }
    });
    return true;
}

void UdpSocket::cancelPendingWork()
{
    loop().cancelPerforms(this);
    m_sendDequeueId = 0;
    m_receiveDequeueId = 0;
    m_flags &= ~(kDequeueSendScheduled | kDequeueReceiveScheduled);
}

void UdpSocket::detach()
{
    for (Family* f : {&m_socket4, &m_socket6}) {
        if (f->events)
            f->events->unschedule();
    }
    for (auto* timer : {m_sendTimer.get(), m_receiveTimer.get()}) {
        if (timer)
            timer->removeFromRunLoop();
    }
}

void UdpSocket::attach()
{
    for (auto* timer : {m_sendTimer.get(), m_receiveTimer.get()}) {
        if (timer)
            timer->addToRunLoop(loop(), m_runLoopModes);
    }
    for (Family* f : {&m_socket4, &m_socket6}) {
        if (f->events)
            f->events->schedule(loop(), m_runLoopModes);
    }
}

void UdpSocket::postPlacementWork()
{
    scheduleDequeueSend();
    scheduleDequeueReceive();
    performLater(&UdpSocket::maybeScheduleClose);
    if (m_closeNoticeId)
        performLater(&UdpSocket::tellClosed, &m_closeNoticeId); // the notice still owed moves along
}

void UdpSocket::performLater(void (UdpSocket::*action)(), RunLoop::Id* id)
{
    SocketLoopWork::performLater(*this, loop(), m_runLoopModes, action, id);
}

std::shared_ptr<NSTimer> UdpSocket::makeTimer(TimeInterval seconds, void (UdpSocket::*action)(NSTimer&))
{
    return SocketLoopWork::makeTimer(*this, loop(), m_runLoopModes, seconds, action);
}

// ---- closing

void UdpSocket::emptyQueues()
{
    if (m_currentSend)
        endCurrentSend();
    if (m_currentReceive)
        endCurrentReceive();
    m_sendQueue.clear();
    m_receiveQueue.clear();
    if (m_sendDequeueId)
        loop().cancelPerform(m_sendDequeueId);
    if (m_receiveDequeueId)
        loop().cancelPerform(m_receiveDequeueId);
    m_sendDequeueId = 0;
    m_receiveDequeueId = 0;
    m_flags &= ~(kDequeueSendScheduled | kDequeueReceiveScheduled);
}

void UdpSocket::close()
{
    const bool wasClosed = isClosed();
    emptyQueues();
    closeFamily(true);
    closeFamily(false);
    m_flags |= kDidClose;
    ++m_generation;
    if (wasClosed || !m_delegate)
        return; // one notice, however often it is closed
    performLater(&UdpSocket::tellClosed, &m_closeNoticeId);
}

void UdpSocket::tellClosed()
{
    if (m_delegate)
        m_delegate->onUdpSocketDidClose(*this);
}

void UdpSocket::closeAfterSending()
{
    if (isClosed())
        return;
    m_flags |= kForbidSendReceive | kCloseAfterSends;
    maybeScheduleClose();
}

void UdpSocket::closeAfterReceiving()
{
    if (isClosed())
        return;
    m_flags |= kForbidSendReceive | kCloseAfterReceives;
    maybeScheduleClose();
}

void UdpSocket::closeAfterSendingAndReceiving()
{
    if (isClosed())
        return;
    m_flags |= kForbidSendReceive | kCloseAfterSends | kCloseAfterReceives;
    maybeScheduleClose();
}

void UdpSocket::maybeScheduleClose()
{
    bool shouldClose = false;
    if (m_flags & kCloseAfterSends)
        shouldClose = sendSideIdle() && (!(m_flags & kCloseAfterReceives) || receiveSideIdle());
    else if (m_flags & kCloseAfterReceives)
        shouldClose = receiveSideIdle();
    if (shouldClose && !isClosed())
        performLater(&UdpSocket::close);
}
