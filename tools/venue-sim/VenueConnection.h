#pragma once

#include "platform/foundation/RunLoop.h"
#include "session/FrameReceiver.h"

#include <cstddef>
#include <string>

// One client's link: its socket, the bytes read and not yet cut into frames, the bytes of
// replies not yet written, and how many replies it has had. The server drives it.
class VenueConnection {
public:
    VenueConnection(int fd, int id, std::string peer);
    ~VenueConnection();
    VenueConnection(const VenueConnection&) = delete;
    VenueConnection& operator=(const VenueConnection&) = delete;

    int fd() const { return m_fd; }
    int id() const { return m_id; }
    const std::string& peer() const { return m_peer; }
    FrameReceiver& reader() { return m_reader; }

    RunLoop::Id source = 0;
    std::size_t replies = 0;
    // Set once the link is to end: nothing more is read, and it closes when the output is out.
    bool closing = false;
    // Set when the client is to be cut off at once, without waiting for its output to go.
    bool abandoned = false;

    void queue(std::string_view bytes) { m_output.append(bytes); }
    bool hasOutput() const { return !m_output.empty(); }
    std::size_t pendingOutput() const { return m_output.size(); }
    // Writes what the socket takes now; false when the peer is gone.
    bool flush();

private:
    int m_fd;
    int m_id;
    std::string m_peer;
    FrameReceiver m_reader;
    std::string m_output;
};
