#include "platform/net/SocketHandle.h"

#include "platform/net/SocketCalls.h"

#include <cerrno>
#include <sys/socket.h>

namespace {
// Errors that say the address or the socket itself is unusable, as opposed to the network
// answering no; only these fail the call itself.
bool isUsageError(int error)
{
    return error == EAFNOSUPPORT || error == EINVAL || error == EBADF || error == ENOTSOCK || error == EISCONN
        || error == EALREADY || error == EFAULT;
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

bool SocketHandle::connectInBackground(const SocketAddress& address, RunLoop& loop, std::vector<RunLoopMode> modes,
                                       ConnectCallback callback, int* error)
{
    if (m_fd < 0 || m_loop) {
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
    m_loop = &loop;
    m_callback = std::move(callback);
    m_alive = std::make_shared<SocketHandle*>(this);
    std::weak_ptr<SocketHandle*> alive = m_alive;
    if (finished) {
        m_performId = loop.perform([alive, outcome] {
            if (auto self = alive.lock()) {
                (*self)->m_performId = 0;
                (*self)->report(outcome);
            }
        }, 0, this, modes);
        return true;
    }
    m_sourceId = loop.addSource(m_fd, RunLoop::Writable, [alive](std::uint32_t) {
        if (auto self = alive.lock()) {
            SocketHandle* handle = *self;
            handle->m_loop->removeSource(handle->m_sourceId);
            handle->m_sourceId = 0;
            int pending = SocketCalls::pendingError(handle->m_fd);
            if (pending == 0 && !SocketAddress::peerOf(handle->m_fd))
                pending = ENOTCONN; // hung up without saying why
            handle->report(pending);
        }
    }, std::move(modes));
    return true;
}

void SocketHandle::report(int error)
{
    // One report only; the callback may destroy the handle, so nothing is touched after it.
    auto callback = std::move(m_callback);
    m_callback = nullptr;
    if (callback)
        callback(error);
}

void SocketHandle::stopEvents()
{
    if (m_loop) {
        if (m_sourceId)
            m_loop->removeSource(m_sourceId);
        if (m_performId)
            m_loop->cancelPerform(m_performId);
    }
    m_sourceId = 0;
    m_performId = 0;
    m_loop = nullptr;
    m_callback = nullptr;
    m_alive.reset();
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
