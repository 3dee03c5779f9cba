#pragma once

#include "platform/foundation/Clock.h"

#include <cstdint>
#include <vector>

// One queued datagram. It holds its own copy of the bytes, so the caller may reuse its buffer.
struct AsyncSendPacket {
    std::vector<std::uint8_t> buffer;
    std::vector<std::uint8_t> address; // the destination's socket address; empty when connected
    TimeInterval timeout = -1;         // negative: none
    std::int64_t tag = 0;
};
