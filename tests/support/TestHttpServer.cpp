#include "tests/support/TestHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace {
bool sendAll(int fd, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string reasonFor(int status)
{
    return status == 200 ? "OK" : status == 304 ? "Not Modified" : status == 404 ? "Not Found" : "Status";
}
} // namespace

TestHttpServer::TestHttpServer()
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(m_listenFd, 64) != 0
        || ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || ::pipe(m_wakeFds) != 0)
        std::perror("test HTTP server");
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

TestHttpServer::~TestHttpServer()
{
    m_stopping = true;
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(m_wakeFds[1], &byte, 1);
    m_acceptThread.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard lock(m_mutex);
        connections.swap(m_connections);
    }
    for (auto& connection : connections)
        connection.join();
    ::close(m_listenFd);
    ::close(m_wakeFds[0]);
    ::close(m_wakeFds[1]);
}

std::string TestHttpServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void TestHttpServer::setReply(const std::string& path, Reply reply)
{
    std::lock_guard lock(m_mutex);
    m_replies[path] = std::move(reply);
}

void TestHttpServer::serve(const std::string& path, std::string body, const std::string& contentType)
{
    Reply reply;
    reply.headers = {{"Content-Type", contentType}};
    reply.body = std::move(body);
    setReply(path, std::move(reply));
}

void TestHttpServer::redirect(const std::string& path, const std::string& location, int status)
{
    Reply reply;
    reply.status = status;
    reply.headers = {{"Location", location}};
    setReply(path, std::move(reply));
}

std::vector<TestHttpServer::Request> TestHttpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t TestHttpServer::requestCount(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(
        std::count_if(m_requests.begin(), m_requests.end(), [&](const Request& r) { return r.path == path; }));
}

std::size_t TestHttpServer::answeredCount(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(std::count(m_answered.begin(), m_answered.end(), path));
}

void TestHttpServer::acceptLoop()
{
    while (!m_stopping) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakeFds[0], POLLIN, 0}};
        if (::poll(fds, 2, 1000) <= 0 || !(fds[0].revents & POLLIN))
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(m_mutex);
        m_connections.emplace_back([this, fd] {
            handle(fd);
            ::close(fd);
        });
    }
}

TestHttpServer::InFlight::InFlight(std::atomic<int>& open, std::atomic<int>& peak)
    : m_open(open)
{
    const int now = ++m_open;
    int seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
}

void TestHttpServer::InFlight::end()
{
    if (!m_ended)
        --m_open;
    m_ended = true;
}

bool TestHttpServer::pause(double seconds) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
        if (m_stopping)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return !m_stopping;
}

void TestHttpServer::handle(int fd)
{
    std::string head;
    char buffer[4096];
    // Bounded: a client that never finishes its request is dropped after ten seconds.
    for (int waited = 0; head.find("\r\n\r\n") == std::string::npos && waited < 100 && !m_stopping;) {
        pollfd p {fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) {
            ++waited;
            continue;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    std::istringstream lines(head);
    Request request;
    std::string line;
    std::getline(lines, line);
    std::istringstream first(line);
    first >> request.method >> request.path;
    while (std::getline(lines, line) && line != "\r") {
        const auto colon = line.find(':');
        if (colon != std::string::npos)
            request.headers[lower(line.substr(0, colon))] = line.substr(colon + 2, line.size() - colon - 3);
    }
    // Counted from the request until just before the last bytes of the answer go out: the
    // client cannot start its next request before those have arrived.
    InFlight inFlight(m_open, m_peak);
    Reply reply;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        // Replies are scripted by path; a query only tells requests apart.
        const auto it = m_replies.find(request.path.substr(0, request.path.find('?')));
        if (it == m_replies.end())
            reply.status = 404;
        else
            reply = it->second;
    }
    // A client that already holds this ETag's body is told so.
    for (const auto& [name, value] : reply.headers) {
        const auto asked = request.headers.find("if-none-match");
        if (lower(name) == "etag" && asked != request.headers.end() && asked->second == value) {
            reply.status = 304;
            reply.body.clear();
        }
    }
    answer(fd, reply, inFlight);
    std::lock_guard lock(m_mutex);
    m_answered.push_back(request.path);
}

void TestHttpServer::answer(int fd, const Reply& reply, InFlight& inFlight)
{
    if (!pause(reply.hold))
        return;
    if (reply.raw) {
        sendAll(fd, *reply.raw);
        return;
    }
    if (reply.reset) {
        inFlight.end();
        const linger hard {1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        return;
    }
    const std::size_t limit = std::min(reply.body.size(), reply.truncateAfter.value_or(reply.body.size()));
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reasonFor(reply.status) + "\r\n";
    for (const auto& [name, value] : reply.headers)
        head += name + ": " + value + "\r\n";
    if (reply.chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (reply.status != 304)
        head += "Content-Length: " + reply.contentLength.value_or(std::to_string(reply.body.size())) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (limit == 0 && !reply.chunked)
        inFlight.end();
    if (!sendAll(fd, head))
        return;
    const std::size_t piece = reply.pieceSize ? reply.pieceSize : std::max<std::size_t>(limit, 1);
    for (std::size_t at = 0; at < limit; at += piece) {
        if (at > 0 && !pause(reply.pace))
            return;
        const std::string chunk = reply.body.substr(at, std::min(piece, limit - at));
        if (at + piece >= limit && !reply.chunked)
            inFlight.end();
        char size[32];
        std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
        if (!sendAll(fd, reply.chunked ? size + chunk + "\r\n" : chunk))
            return;
    }
    inFlight.end();
    if (reply.chunked && !reply.truncateAfter)
        sendAll(fd, "0\r\n\r\n");
}
