#pragma once

#include "platform/foundation/RunLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Readiness events of one descriptor that fire once: an enabled kind (readable, writable) is
// disabled again when it fires, and stays quiet until the owner enables it. A descriptor that is
// always writable therefore never spins the loop. Hang-ups and errors arrive with whatever kind
// is enabled and disable it as well.
//
// The events can be taken off their run loop and put on another one, or into other modes,
// keeping what is enabled; schedule() must then run on the new loop's thread.
class FdEvents {
public:
    using Callback = std::function<void(std::uint32_t events)>;

    FdEvents(int fd, Callback callback);
    ~FdEvents();
    FdEvents(const FdEvents&) = delete;
    FdEvents& operator=(const FdEvents&) = delete;

    void schedule(RunLoop& loop, std::vector<RunLoopMode> modes);
    void unschedule();
    void enable(std::uint32_t kinds);

private:
    void fired(std::uint32_t events);
    void sync();

    int m_fd;
    Callback m_callback;
    RunLoop* m_loop = nullptr;
    std::vector<RunLoopMode> m_modes;
    RunLoop::Id m_sourceId = 0;
    std::uint32_t m_enabled = 0;
    std::shared_ptr<FdEvents*> m_alive = std::make_shared<FdEvents*>(this);
};
