#pragma once

#include "platform/foundation/Clock.h"
#include "session/socket/AsyncSpecialPacket.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// One queued read: a fixed length (readLength > 0), up to a terminator (term not empty), or
// whatever is available (neither).
struct AsyncReadPacket {
    std::shared_ptr<std::vector<std::uint8_t>> buffer;
    std::size_t startOffset = 0;
    std::size_t bytesDone = 0;
    std::size_t maxLength = 0; // 0: no bound
    TimeInterval timeout = -1; // negative: none; grows when the delegate extends it
    std::size_t readLength = 0;
    std::vector<std::uint8_t> term;
    bool bufferOwner = true;
    std::size_t originalBufferLength = 0;
    std::int64_t tag = 0;
    std::shared_ptr<const AsyncSpecialPacket> special; // set: the TLS marker, not a read

    // A read into the caller's buffer from offset on or, without one, into a buffer of its own
    // that starts freshLength bytes long. The kind of read is set by the caller afterwards.
    static std::unique_ptr<AsyncReadPacket> create(std::shared_ptr<std::vector<std::uint8_t>> callerBuffer,
                                                   std::size_t offset, std::size_t freshLength,
                                                   TimeInterval timeout, std::int64_t tag)
    {
        auto packet = std::make_unique<AsyncReadPacket>();
        packet->timeout = timeout;
        packet->tag = tag;
        packet->bufferOwner = !callerBuffer;
        packet->originalBufferLength = callerBuffer ? callerBuffer->size() : 0;
        packet->startOffset = offset;
        packet->buffer = callerBuffer ? std::move(callerBuffer)
                                      : std::make_shared<std::vector<std::uint8_t>>(freshLength);
        return packet;
    }

    bool isTlsMarker() const { return special != nullptr; }
    std::uint8_t* writePosition() { return buffer->data() + startOffset + bytesDone; }
    const std::uint8_t* received() const { return buffer->data() + startOffset; }
};
