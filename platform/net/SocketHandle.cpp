#include "platform/net/SocketHandle.h"

#include "platform/foundation/Log.h"
#include "platform/net/SocketCalls.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>

namespace {
// Errors that say the address or the socket itself is unusable, as opposed to the network
// answering no; only these fail the call itself.
bool isUsageError(int error)
{
    return error == EAFNOSUPPORT || error == EINVAL || error == EBADF || error == ENOTSOCK || error == EISCONN
        || error == EALREADY || error == EFAULT;
}

// A connection that died while it waited in the backlog, or a signal: the next one may be fine.
bool isPassingAcceptError(int error)
{
    return error == EINTR || error == ECONNABORTED || error == EPROTO || error == ENETDOWN || error == ENOPROTOOPT
        || error == EHOSTDOWN || error == ENONET || error == EHOSTUNREACH || error == EOPNOTSUPP
        || error == ENETUNREACH || error == EPERM;
}
} // namespace

std::unique_ptr<SocketHandle> SocketHandle::create(int family, int* error)
{
    UniqueFd fd = SocketCalls::createStreamSocket(family, error);
    if (!fd)
        return nullptr;
    std::unique_ptr<SocketHandle> handle(new SocketHandle());
    handle->m_fd = fd.get();
    handle->m_owned = std::move(fd);
    return handle;
}

std::unique_ptr<SocketHandle> SocketHandle::wrap(int fd)
{
    if (fd < 0)
        return nullptr;
    std::unique_ptr<SocketHandle> handle(new SocketHandle());
    handle->m_fd = fd;
    return handle;
}

SocketHandle::~SocketHandle()
{
    invalidate();
}

bool SocketHandle::bind(const SocketAddress& address, int* error)
{
    if (m_fd >= 0 && ::bind(m_fd, address.data(), address.length()) == 0)
        return true;
    if (error)
        *error = m_fd >= 0 ? errno : EBADF;
    return false;
}

bool SocketHandle::setReuseAddress(int* error)
{
    const int on = 1;
    if (m_fd >= 0 && ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0)
        return true;
    if (error)
        *error = m_fd >= 0 ? errno : EBADF;
    return false;
}

void SocketHandle::startEvents(RunLoop& loop, std::vector<RunLoopMode> modes, std::uint32_t kinds)
{
    std::weak_ptr<SocketHandle*> alive = m_alive;
    m_events = std::make_unique<FdEvents>(m_fd, [alive](std::uint32_t) {
        // No strong hold across the call: the handlers watch `alive` to see the handle go.
        SocketHandle* self = alive.expired() ? nullptr : *alive.lock();
        if (self)
            self->m_role == Role::Listening ? self->acceptEvent() : self->connectEvent();
    });
    m_events->enable(kinds);
    scheduleEvents(loop, std::move(modes));
}

bool SocketHandle::connectInBackground(const SocketAddress& address, RunLoop& loop, std::vector<RunLoopMode> modes,
                                       ConnectCallback callback, int* error)
{
    if (m_fd < 0 || m_role != Role::None) {
        if (error)
            *error = m_fd < 0 ? EBADF : EALREADY;
        return false;
    }
    int outcome = 0;
    bool finished = true;
    if (::connect(m_fd, address.data(), address.length()) != 0) {
        outcome = errno;
        finished = !(outcome == EINPROGRESS || outcome == EINTR);
        if (finished && isUsageError(outcome)) {
            if (error)
                *error = outcome;
            return false;
        }
    }
    m_role = Role::Connecting;
    m_connectCallback = std::move(callback);
    if (finished) {
        m_outcome = outcome;
        m_loop = &loop;
        m_modes = std::move(modes);
        postOutcome();
        return true;
    }
    startEvents(loop, std::move(modes), RunLoop::Writable);
    return true;
}

void SocketHandle::postOutcome()
{
    std::weak_ptr<SocketHandle*> alive = m_alive;
    m_performId = m_loop->perform([alive] {
        if (auto self = alive.lock()) {
            (*self)->m_performId = 0;
            (*self)->report(*(*self)->m_outcome);
        }
    }, 0, this, m_modes);
}

void SocketHandle::connectEvent()
{
    m_events.reset();
    int pending = SocketCalls::pendingError(m_fd);
    if (pending == 0 && !SocketAddress::peerOf(m_fd))
        pending = ENOTCONN; // hung up without saying why
    report(pending);
}

void SocketHandle::report(int error)
{
    // One report only; the callback may destroy the handle, so nothing is touched after it.
    auto callback = std::move(m_connectCallback);
    m_connectCallback = nullptr;
    m_outcome.reset();
    if (callback)
        callback(error);
}

bool SocketHandle::listen(RunLoop& loop, std::vector<RunLoopMode> modes, AcceptCallback callback, int* error)
{
    if (m_fd < 0 || m_role != Role::None || ::listen(m_fd, SOMAXCONN) != 0) {
        if (error)
            *error = m_fd < 0 ? EBADF : m_role != Role::None ? EALREADY : errno;
        return false;
    }
    m_role = Role::Listening;
    m_acceptCallback = std::move(callback);
    startEvents(loop, std::move(modes), RunLoop::Readable);
    return true;
}

void SocketHandle::acceptEvent()
{
    std::weak_ptr<SocketHandle*> alive = m_alive;
    for (int taken = 0; taken < kMostAcceptsPerEvent; ++taken) {
        UniqueFd fd(::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) {
            const int error = errno;
            if (error == EAGAIN || error == EWOULDBLOCK)
                break;
            if (isPassingAcceptError(error))
                continue;
            restAccepting(error);
            return;
        }
        auto callback = m_acceptCallback;
        callback(std::move(fd));
        if (alive.expired() || m_role != Role::Listening || !m_events)
            return; // closed, or given up, by the callback
    }
    m_events->enable(RunLoop::Readable);
}

void SocketHandle::restAccepting(int error)
{
    // The connection stays in the backlog and the descriptor stays readable: watching it now
    // would wake the loop at once, over and over.
    NSLog("SocketHandle %d couldn't accept a connection: %s; accepting rests for %.2f s", m_fd, std::strerror(error),
          kAcceptBackoff);
    startRest();
}

void SocketHandle::startRest()
{
    if (!m_loop) {
        m_resting = true; // taken up again when the events are scheduled
        return;
    }
    std::weak_ptr<SocketHandle*> alive = m_alive;
    m_restTimerId = m_loop->addTimer(m_loop->now() + kAcceptBackoff, 0, [alive] {
        if (auto self = alive.lock()) {
            (*self)->m_restTimerId = 0;
            if ((*self)->m_events)
                (*self)->m_events->enable(RunLoop::Readable);
        }
    }, m_modes, this);
}

void SocketHandle::unscheduleEvents()
{
    if (m_events)
        m_events->unschedule();
    if (m_loop) {
        if (m_performId)
            m_loop->cancelPerform(m_performId);
        if (m_restTimerId)
            m_loop->removeTimer(m_restTimerId);
    }
    m_performId = 0;
    m_loop = nullptr;
    if (m_restTimerId)
        m_resting = true; // a resting listener starts its rest over where it is scheduled next
    m_restTimerId = 0;
}

void SocketHandle::scheduleEvents(RunLoop& loop, std::vector<RunLoopMode> modes)
{
    unscheduleEvents();
    m_loop = &loop;
    m_modes = std::move(modes);
    if (m_events)
        m_events->schedule(loop, m_modes);
    if (m_outcome)
        postOutcome();
    if (m_resting) {
        m_resting = false;
        startRest();
    }
}

void SocketHandle::stopEvents()
{
    unscheduleEvents();
    m_events.reset();
    m_role = Role::None;
    m_resting = false;
    m_outcome.reset();
    m_connectCallback = nullptr;
    m_acceptCallback = nullptr;
    m_alive = std::make_shared<SocketHandle*>(this); // earlier callbacks see the handle as gone
}

UniqueFd SocketHandle::releaseDescriptor()
{
    stopEvents();
    m_fd = -1;
    return std::move(m_owned);
}

void SocketHandle::invalidate()
{
    stopEvents();
    m_fd = -1;
    m_owned.reset();
}
