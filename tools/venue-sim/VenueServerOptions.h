#pragma once

#include "tools/venue-sim/FrameMalformation.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

// How the server misbehaves on purpose, and whether the venue drifts.
struct VenueServerOptions {
    std::set<int> refused;                         // answered with ErrorCode "1"
    std::map<int, FrameMalformation> malformed;    // answered with a broken frame
    std::optional<std::size_t> dropAfterReplies;   // a link is closed after this many replies
    bool drift = true;
    double driftInterval = 4.0;                    // seconds between two drift steps
    std::uint32_t driftSeed = 20240518;
    // A client that leaves more reply bytes than this unread is cut off.
    std::size_t maxPendingOutput = 32u << 20;
};
