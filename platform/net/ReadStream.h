#pragma once

#include "platform/net/StreamSide.h"

// The input side of a connection. Releasing it closes it.
// Events: OpenCompleted, HasBytesAvailable, ErrorOccurred, EndEncountered.
class ReadStream : public StreamSide {
public:
    explicit ReadStream(std::shared_ptr<StreamConnection> connection);

    // > 0 bytes, 0 at the end, -1 on an error, StreamWouldBlock when nothing is there yet.
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t length);
    bool hasBytesAvailable() const;
};
