#pragma once

#include "platform/foundation/Clock.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

class NSTimer;

// Notices a venue link that has gone quiet without closing: a frame that has begun and gets no
// further byte for kStalledFrame seconds, or no whole frame received for kUnanswered seconds
// after a request whose reply is expected. Bytes alone answer nothing: after a bogus length every
// later reply is swallowed into one frame that never ends, and only whole frames show the link
// works. One one-shot timer on the main run loop, moved to the nearer deadline as bytes and
// requests come and go; it calls onExpired once and then stays quiet until armed again.
//
// It also keeps what the link owes its peer bounded: a link with more than kMostUnwritten bytes
// waiting to be written is behind, its owner stops reading until the writes catch up, and a link
// still behind after kBehindFor seconds has a peer that sends but does not read.
class LinkWatchdog {
public:
    static constexpr TimeInterval kStalledFrame = 10.0;
    static constexpr TimeInterval kUnanswered = 15.0;
    static constexpr TimeInterval kBehindFor = 4.0;
    static constexpr std::size_t kMostUnwritten = 32 << 10;

    explicit LinkWatchdog(std::function<void(const char* reason)> onExpired);
    ~LinkWatchdog();
    LinkWatchdog(const LinkWatchdog&) = delete;
    LinkWatchdog& operator=(const LinkWatchdog&) = delete;

    // A request went out whose reply someone waits for; the oldest one not yet followed by a
    // whole frame sets the deadline.
    void requestSent();
    // A whole, checked frame arrived: whatever was awaited has been answered. Called before the
    // frame is handed on, so that requests sent while handling it are awaited afresh.
    void frameArrived();
    // The arrived bytes have been cut into frames; `frameBegun` when part of one is left over.
    void bytesConsumed(bool frameBegun);
    // Whether a link with `unwritten` bytes waiting to be written is behind; the first time it
    // is, the deadline for catching up starts, and once it is not, that deadline goes.
    bool isBehind(std::size_t unwritten);
    // Whether the link was behind when last asked, and has not been dropped or begun anew since:
    // its owner has stopped reading and waits for the writes to catch up.
    bool wasBehind() const { return m_behindSince.has_value(); }
    // The link is new or gone: nothing is awaited any more.
    void stop();

private:
    // A deadline and what its passing means.
    struct Due {
        TimeInterval at;
        const char* reason;
    };
    // The nearer of the running deadlines (the stalled frame's on a tie); nothing when none runs.
    std::optional<Due> nextDue() const;
    void rearm();
    void expire();

    std::function<void(const char*)> m_onExpired;
    std::optional<TimeInterval> m_frameSince;
    std::optional<TimeInterval> m_requestSince;
    std::optional<TimeInterval> m_behindSince;
    std::shared_ptr<NSTimer> m_timer;
};
