#include "tests/tools/venue-sim/VenueTestClient.h"

#include "session/VenueMessage.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/time.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

VenueTestClient::VenueTestClient(std::uint16_t port)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval sendLimit {5, 0}; // a server that stops reading must not hang a test
    if (m_fd >= 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
    if (m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

VenueTestClient::~VenueTestClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool VenueTestClient::sendRaw(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string VenueTestClient::frame(int command, const std::vector<std::string>& fields)
{
    return VenueMessage::fieldListFrame(command, fields).value();
}

bool VenueTestClient::send(int command, const std::vector<std::string>& fields)
{
    return sendRaw(frame(command, fields));
}

bool VenueTestClient::fill(std::chrono::steady_clock::time_point deadline)
{
    if (m_closed)
        return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return false;
    pollfd entry {m_fd, POLLIN, 0};
    if (::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
        return false;
    char chunk[4096];
    const ssize_t count = ::recv(m_fd, chunk, sizeof chunk, 0);
    if (count <= 0) {
        m_closed = true;
        return false;
    }
    m_buffer.append(chunk, static_cast<std::size_t>(count));
    return true;
}

std::optional<std::string> VenueTestClient::readFrame(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        const auto length = VenueMessage::announcedLength(m_buffer);
        if (m_buffer.size() >= VenueMessage::kLengthDigits && !length) {
            // Not a length: hand back what there is, so a test can look at a broken frame.
            std::string bytes;
            bytes.swap(m_buffer);
            return bytes;
        }
        if (length && *length <= m_buffer.size()) {
            std::string frame = m_buffer.substr(0, *length);
            m_buffer.erase(0, *length);
            return frame;
        }
        if (!fill(deadline))
            return std::nullopt;
    }
}

std::optional<ReplyLines> VenueTestClient::readReply(std::chrono::milliseconds timeout)
{
    const auto frame = readFrame(timeout);
    if (!frame)
        return std::nullopt;
    const auto text = VenueMessage::decodeFrame(*frame);
    if (!text)
        return std::nullopt;
    return ReplyLines(*text);
}

std::optional<ReplyLines> VenueTestClient::ask(int command, const std::vector<std::string>& fields)
{
    if (!send(command, fields))
        return std::nullopt;
    return readReply();
}

std::string VenueTestClient::readToClose(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (fill(deadline)) {
    }
    return std::exchange(m_buffer, {});
}

bool VenueTestClient::waitForClose(std::chrono::milliseconds timeout)
{
    readToClose(timeout);
    return m_closed;
}

bool VenueTestClient::staysQuiet(std::chrono::milliseconds time)
{
    const std::size_t before = m_buffer.size();
    return !fill(std::chrono::steady_clock::now() + time) && m_buffer.size() == before && !m_closed;
}
