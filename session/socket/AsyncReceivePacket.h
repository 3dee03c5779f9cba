#pragma once

#include "platform/foundation/Clock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One queued receive, and the datagram it got.
struct AsyncReceivePacket {
    TimeInterval timeout = -1; // negative: none
    std::int64_t tag = 0;
    std::optional<std::vector<std::uint8_t>> buffer;
    std::optional<std::string> host;
    std::uint16_t port = 0;
};
