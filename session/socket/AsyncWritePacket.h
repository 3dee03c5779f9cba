#pragma once

#include "platform/foundation/Clock.h"
#include "session/socket/AsyncSpecialPacket.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// One queued write. It holds its own copy of the bytes, so the caller may reuse its buffer at
// once.
struct AsyncWritePacket {
    std::vector<std::uint8_t> buffer;
    std::size_t bytesDone = 0;
    std::int64_t tag = 0;
    TimeInterval timeout = -1;
    std::shared_ptr<const AsyncSpecialPacket> special; // set: the TLS marker, not a write

    bool isTlsMarker() const { return special != nullptr; }
};
