#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The built venue-sim program as a child process with its standard output on a pipe. The
// destructor ends it (SIGTERM, then SIGKILL after a bounded wait) so no test leaves it behind.
class VenueSimProcess {
public:
    explicit VenueSimProcess(const std::vector<std::string>& arguments);
    ~VenueSimProcess();
    VenueSimProcess(const VenueSimProcess&) = delete;
    VenueSimProcess& operator=(const VenueSimProcess&) = delete;

    static std::string binary();

    // The next line of its standard output; nothing on timeout or end of output.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The port of the first line "listening on 127.0.0.1:PORT"; 0 when it did not come. The
    // picture page's port, on the second line, is then picturePort().
    std::uint16_t waitForPort();
    std::uint16_t picturePort() const { return m_picturePort; }

    // Sends the signal and waits for the exit status (or the terminating signal as 128 + n).
    std::optional<int> stop(int signal, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::optional<int> waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
    std::string m_pending;
    std::optional<int> m_status;
    std::uint16_t m_picturePort = 0;
};
