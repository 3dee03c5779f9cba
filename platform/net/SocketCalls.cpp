#include "platform/net/SocketCalls.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace {

constexpr int kInterruptRetries = 16;

bool pollFor(int fd, short events)
{
    if (fd < 0)
        return false;
    pollfd entry {fd, events, 0};
    int ready;
    int tries = 0;
    do {
        ready = ::poll(&entry, 1, 0);
    } while (ready < 0 && errno == EINTR && ++tries < kInterruptRetries);
    return ready > 0 && (entry.revents & (events | POLLHUP | POLLERR)) != 0;
}

UniqueFd createSocket(int family, int type, int* error)
{
    UniqueFd fd(::socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd) {
        if (error)
            *error = errno;
        return fd;
    }
    if (family == AF_INET6) {
        const int on = 1;
        if (::setsockopt(fd.get(), IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on) != 0) {
            if (error)
                *error = errno;
            return UniqueFd();
        }
    }
    return fd;
}

} // namespace

UniqueFd SocketCalls::createStreamSocket(int family, int* error)
{
    return createSocket(family, SOCK_STREAM, error);
}

UniqueFd SocketCalls::createDatagramSocket(int family, int* error)
{
    return createSocket(family, SOCK_DGRAM, error);
}

bool SocketCalls::makeNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0)
        return false;
    if ((flags & O_NONBLOCK) == 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)
        return false;
    const int fdFlags = ::fcntl(fd, F_GETFD);
    return fdFlags >= 0 && ((fdFlags & FD_CLOEXEC) != 0 || ::fcntl(fd, F_SETFD, fdFlags | FD_CLOEXEC) == 0);
}

int SocketCalls::pendingError(int fd)
{
    int value = 0;
    socklen_t length = sizeof value;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &value, &length) != 0)
        return errno;
    return value;
}

bool SocketCalls::isReadable(int fd)
{
    return pollFor(fd, POLLIN);
}

bool SocketCalls::isWritable(int fd)
{
    return pollFor(fd, POLLOUT);
}

bool SocketCalls::mustRetryLater(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

ssize_t SocketCalls::sendNoSignal(int fd, const void* bytes, std::size_t length)
{
    ssize_t sent;
    int tries = 0;
    do {
        sent = ::send(fd, bytes, length, MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (sent < 0 && errno == EINTR && ++tries < kInterruptRetries);
    return sent;
}

ssize_t SocketCalls::receive(int fd, void* bytes, std::size_t length)
{
    ssize_t got;
    int tries = 0;
    do {
        got = ::recv(fd, bytes, length, MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR && ++tries < kInterruptRetries);
    return got;
}
