#pragma once

#include "session/ReplyLines.h"

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Lines = std::vector<std::string>;

// The reply's lines at base plus each offset, so that a record is compared at once.
inline Lines linesAt(const ReplyLines& reply, std::size_t base, std::initializer_list<std::size_t> offsets)
{
    Lines lines;
    for (const std::size_t offset : offsets)
        lines.push_back(reply[base + offset]);
    return lines;
}

// A plain blocking loopback client for the server tests: sends frames built the tablet's way and
// reads frames back, every wait bounded.
class VenueTestClient {
public:
    explicit VenueTestClient(std::uint16_t port);
    ~VenueTestClient();
    VenueTestClient(const VenueTestClient&) = delete;
    VenueTestClient& operator=(const VenueTestClient&) = delete;

    bool connected() const { return m_fd >= 0; }

    bool sendRaw(std::string_view bytes);
    // The field-list request form: every field followed by "\r\n".
    bool send(int command, const std::vector<std::string>& fields = {});
    static std::string frame(int command, const std::vector<std::string>& fields = {});

    // The next whole frame as received (CRC byte included), or nothing on timeout or close.
    std::optional<std::string> readFrame(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // The next frame checked and split into lines; nothing when none came or it did not check.
    std::optional<ReplyLines> readReply(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Sends and reads the answer.
    std::optional<ReplyLines> ask(int command, const std::vector<std::string>& fields = {});

    // Everything that arrives until the server closes the link or the time is up.
    std::string readToClose(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // True when the server closes the link within the timeout.
    bool waitForClose(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // True when nothing at all arrives within the time.
    bool staysQuiet(std::chrono::milliseconds time);

private:
    bool fill(std::chrono::steady_clock::time_point deadline);

    int m_fd = -1;
    bool m_closed = false;
    std::string m_buffer;
};
