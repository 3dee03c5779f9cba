#pragma once

#include <cstdint>

// Events of a read or write stream; a client subscribes to a mask of them.
enum StreamEvent : std::uint32_t {
    StreamEventNone = 0,
    StreamEventOpenCompleted = 1u << 0,
    StreamEventHasBytesAvailable = 1u << 1,
    StreamEventCanAcceptBytes = 1u << 2,
    StreamEventErrorOccurred = 1u << 3,
    StreamEventEndEncountered = 1u << 4,
};

enum class StreamStatus {
    NotOpen = 0,
    Opening = 1,
    Open = 2,
    Reading = 3,
    Writing = 4,
    AtEnd = 5,
    Closed = 6,
    Error = 7,
};

#include <cstddef>

// What read() and write() of a stream return when the descriptor has nothing to give or no
// room right now; neither an end nor an error. The next readiness event says when to retry.
inline constexpr std::ptrdiff_t StreamWouldBlock = -2;
