#include "tests/platform/net/peer/LoopbackPeer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPollMs = 10;
constexpr double kSendLimitSeconds = 10.0;

[[noreturn]] void die(const char* what)
{
    std::perror(what);
    std::abort();
}

double seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

LoopbackPeer::LoopbackPeer()
    : LoopbackPeer(Options {})
{
}

LoopbackPeer::LoopbackPeer(Options options)
    : m_options(options)
{
    const int family = options.ipv6 ? AF_INET6 : AF_INET;
    m_listenFd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listenFd < 0)
        die("peer socket");
    const int on = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (options.receiveBuffer > 0)
        ::setsockopt(m_listenFd, SOL_SOCKET, SO_RCVBUF, &options.receiveBuffer, sizeof options.receiveBuffer);
    sockaddr_storage storage {};
    socklen_t length;
    if (options.ipv6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_loopback;
        ::setsockopt(m_listenFd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
        length = sizeof *v6;
    } else {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
        v4->sin_family = AF_INET;
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof *v4;
    }
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&storage), length) != 0)
        die("peer bind");
    if (::listen(m_listenFd, options.backlog) != 0)
        die("peer listen");
    length = sizeof storage;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&storage), &length);
    m_port = ntohs(options.ipv6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                                : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
    if (::pipe2(m_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        die("peer pipe");
    m_thread = std::thread([this] { run(); });
}

LoopbackPeer::~LoopbackPeer()
{
    m_stop = true;
    wake();
    m_thread.join();
    for (int fd : m_fillers)
        ::close(fd);
    ::close(m_listenFd);
    ::close(m_wakePipe[0]);
    ::close(m_wakePipe[1]);
}

void LoopbackPeer::wake()
{
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(m_wakePipe[1], &byte, 1);
}

void LoopbackPeer::enqueue(Action action)
{
    std::lock_guard lock(m_mutex);
    m_actions.push_back(std::move(action));
    wake();
}

void LoopbackPeer::send(std::string bytes) { enqueue({Action::Send, std::move(bytes)}); }
void LoopbackPeer::closeConnection() { enqueue({Action::Close}); }
void LoopbackPeer::resetConnection() { enqueue({Action::Reset}); }

std::uint16_t LoopbackPeer::freePort()
{
    LoopbackPeer gone;
    return gone.port();
}

std::uint16_t LoopbackPeer::closedPort()
{
    // The port stays bound, never listening, until the program ends: connects to it are refused,
    // and no parallel test's listener, nor a connect choosing its own port (which would reach
    // itself), can take it in the meantime.
    static std::mutex mutex;
    static std::vector<int> held;
    const int v4 = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (v4 < 0 || ::bind(v4, reinterpret_cast<sockaddr*>(&address), length) != 0
        || ::getsockname(v4, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        die("closed port");
    // The same port on ::1 too, where the machine has it, for tests that connect by name.
    const int on = 1;
    const int v6 = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in6 address6 {};
    address6.sin6_family = AF_INET6;
    address6.sin6_addr = in6addr_loopback;
    address6.sin6_port = address.sin_port;
    if (v6 >= 0)
        ::setsockopt(v6, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    const bool v6Held = v6 >= 0 && ::bind(v6, reinterpret_cast<sockaddr*>(&address6), sizeof address6) == 0;
    std::lock_guard lock(mutex);
    held.push_back(v4);
    if (v6Held)
        held.push_back(v6);
    else if (v6 >= 0)
        ::close(v6);
    return ntohs(address.sin_port);
}

std::string LoopbackPeer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

bool LoopbackPeer::actionsDone() const
{
    std::lock_guard lock(m_mutex);
    return m_actions.empty() && !m_busy;
}

int LoopbackPeer::fillBacklog()
{
    sockaddr_storage storage {};
    socklen_t length = sizeof storage;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&storage), &length);
    for (int i = 0; i < 16; ++i) {
        const int fd = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            break;
        m_fillers.push_back(fd);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&storage), length) == 0)
            continue;
        pollfd entry {fd, POLLOUT, 0};
        if (::poll(&entry, 1, 200) == 0)
            return i; // this one hangs: the backlog is full
    }
    return static_cast<int>(m_fillers.size());
}

void LoopbackPeer::perform(Action& action)
{
    const int fd = m_connectionFd;
    switch (action.kind) {
    case Action::Send: {
        std::size_t done = 0;
        const double deadline = seconds() + kSendLimitSeconds;
        while (fd >= 0 && done < action.bytes.size() && seconds() < deadline && !m_stop) {
            const ssize_t sent = ::send(fd, action.bytes.data() + done, action.bytes.size() - done, MSG_NOSIGNAL);
            if (sent > 0) {
                done += static_cast<std::size_t>(sent);
            } else if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd entry {fd, POLLOUT, 0};
                ::poll(&entry, 1, kPollMs);
            } else {
                break;
            }
        }
        break;
    }
    case Action::Close:
        if (fd >= 0) {
            ::shutdown(fd, SHUT_WR);
            m_oldConnections.push_back(fd);
            m_connectionFd = -1;
        }
        break;
    case Action::Reset:
        if (fd >= 0) {
            const linger hard {1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            ::close(fd);
            m_connectionFd = -1;
        }
        break;
    }
}

void LoopbackPeer::run()
{
    while (!m_stop) {
        pollfd entries[3] = {
            {m_wakePipe[0], POLLIN, 0},
            {m_options.accept ? m_listenFd : -1, POLLIN, 0},
            {m_options.readData ? m_connectionFd : -1, POLLIN, 0},
        };
        ::poll(entries, 3, kPollMs);
        char drain[64];
        while (::read(m_wakePipe[0], drain, sizeof drain) > 0) {
        }
        if (entries[1].revents & POLLIN) {
            const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd >= 0) {
                if (m_connectionFd >= 0)
                    m_oldConnections.push_back(m_connectionFd);
                m_connectionFd = fd;
                {
                    std::lock_guard lock(m_mutex);
                    m_received.clear();
                }
                m_sawEnd = false;
                ++m_connections;
            }
        }
        if (m_connectionFd >= 0 && (entries[2].revents & (POLLIN | POLLHUP | POLLERR))) {
            char buffer[65536];
            const ssize_t got = ::recv(m_connectionFd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got > 0) {
                std::lock_guard lock(m_mutex);
                m_received.append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                m_sawEnd = true;
                m_oldConnections.push_back(m_connectionFd);
                m_connectionFd = -1;
            }
        }
        Action action;
        {
            std::lock_guard lock(m_mutex);
            // Actions wait for a connection to act on.
            if (m_actions.empty() || m_connectionFd < 0)
                continue;
            action = std::move(m_actions.front());
            m_actions.pop_front();
            m_busy = true;
        }
        perform(action);
        std::lock_guard lock(m_mutex);
        m_busy = false;
    }
    if (m_connectionFd >= 0)
        ::close(m_connectionFd);
    for (int fd : m_oldConnections)
        ::close(fd);
}
