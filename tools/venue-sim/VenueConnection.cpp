#include "tools/venue-sim/VenueConnection.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

VenueConnection::VenueConnection(int fd, int id, std::string peer)
    : m_fd(fd)
    , m_id(id)
    , m_peer(std::move(peer))
{
}

VenueConnection::~VenueConnection()
{
    ::close(m_fd);
}

bool VenueConnection::flush()
{
    while (!m_output.empty()) {
        const ssize_t written = ::send(m_fd, m_output.data(), m_output.size(), MSG_NOSIGNAL);
        if (written > 0) {
            m_output.erase(0, static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        return written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    return true;
}
