#pragma once

#include "platform/foundation/RunLoop.h"

#include <cstdint>
#include <functional>
#include <memory>

// Warns the application when memory runs short, as the tablet's system does: a repeating timer
// on a run loop takes readings, and when the process holds more than maxResident bytes or the
// machine has less than minAvailable left, the application receives its memory warning (the
// notice is posted on the loop's thread, the main thread for the shared monitor). While memory
// stays short the warning comes again only after quietPeriod, so caches refilling are not
// emptied on every tick.
class MemoryWarningMonitor {
public:
    struct Readings {
        std::uint64_t residentBytes = 0;  // 0: unknown
        std::uint64_t availableBytes = 0; // 0: unknown
    };
    struct Thresholds {
        std::uint64_t maxResident = std::uint64_t(1) << 30;
        std::uint64_t minAvailable = std::uint64_t(256) << 20;
        TimeInterval interval = 1;
        TimeInterval quietPeriod = 10;
    };
    using Reader = std::function<Readings()>;

    // This process and machine, with the default thresholds, on the main run loop.
    static MemoryWarningMonitor& shared();
    MemoryWarningMonitor(Reader reader, Thresholds thresholds, RunLoop& loop);
    // On the loop's thread.
    ~MemoryWarningMonitor();
    MemoryWarningMonitor(const MemoryWarningMonitor&) = delete;
    MemoryWarningMonitor& operator=(const MemoryWarningMonitor&) = delete;

    // Schedules the timer on the loop's next pass unless it is scheduled (a loop reset drops
    // it); safe from any thread.
    void start();
    // Whether the timer is scheduled, on the loop's thread.
    bool isRunning() const;
    // Takes one reading as the timer does; returns whether it warned.
    bool check();

private:
    void schedule();

    Reader m_reader;
    Thresholds m_thresholds;
    RunLoop& m_loop;
    RunLoop::Id m_timer = 0;
    bool m_warnedBefore = false;
    TimeInterval m_lastWarning = 0;
    // Work posted by start() from another thread finds the monitor gone once this is.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
