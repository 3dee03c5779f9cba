#pragma once

#include "platform/net/StreamSide.h"

// The output side of a connection. Releasing it closes it.
// Events: OpenCompleted, CanAcceptBytes, ErrorOccurred, EndEncountered.
class WriteStream : public StreamSide {
public:
    explicit WriteStream(std::shared_ptr<StreamConnection> connection);

    // >= 0 bytes taken, -1 on an error, StreamWouldBlock when the descriptor is full.
    // Sends never raise SIGPIPE.
    std::ptrdiff_t write(const std::uint8_t* bytes, std::size_t length);
    bool canAcceptBytes() const;
};
