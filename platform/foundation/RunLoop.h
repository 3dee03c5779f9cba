#pragma once

#include "platform/foundation/Clock.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using RunLoopMode = std::string;

namespace RunLoopModes {
inline const RunLoopMode Default = "default";
// The mode a scroll view runs in while it is dragged.
inline const RunLoopMode Tracking = "tracking";
// Stands for every common mode (default and tracking) when scheduling.
inline const RunLoopMode Common = "common";
} // namespace RunLoopModes

// The event loop that everything of the application runs on.
//
// One pass of the loop, in order:
//   1. timers that are due (by fire date, then by the order they were added);
//   2. deferred performs queued before the pass began;
//   3. work posted from other threads before the pass began;
//   4. a wait on the file descriptors (no wait when work is pending or runUntil's condition
//      already holds, otherwise until the next timer is due or the caller's limit), then the
//      callbacks of the ready descriptors.
// Work queued during a pass therefore runs on a later pass, never inside the one that queued it.
// Timers, performs and descriptors belong to modes and are serviced only while the loop runs in
// one of them. Only post() and wakeUp() may be called from other threads.
class RunLoop {
public:
    using Callback = std::function<void()>;
    using Id = std::uint64_t; // 0 is never a valid id

    enum Event : std::uint32_t {
        Readable = 1u << 0,
        Writable = 1u << 1,
        Hangup = 1u << 2,
        Error = 1u << 3,
    };
    using SourceCallback = std::function<void(std::uint32_t events)>;

    static RunLoop& main();

    explicit RunLoop(std::shared_ptr<Clock> clock = SystemClock::shared());
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    TimeInterval now() const { return m_clock->now(); }
    Clock& clock() const { return *m_clock; }
    void setClock(std::shared_ptr<Clock> clock);

    // Timers: fire at fireAt (clock time), then every interval seconds when interval > 0.
    // Missed fires of a repeating timer are skipped, not queued up.
    Id addTimer(TimeInterval fireAt, TimeInterval interval, Callback callback,
                std::vector<RunLoopMode> modes = {RunLoopModes::Default}, const void* target = nullptr);
    void removeTimer(Id id);
    bool hasTimer(Id id) const;
    void setTimerFireDate(Id id, TimeInterval fireAt);
    TimeInterval timerFireDate(Id id) const;

    // Deferred performs: run on a later pass (delay 0) or after delay seconds.
    // cancelPerforms(target) drops every pending perform queued with that target.
    Id perform(Callback callback, TimeInterval delay = 0, const void* target = nullptr,
               std::vector<RunLoopMode> modes = {RunLoopModes::Default});
    void cancelPerform(Id id);
    void cancelPerforms(const void* target);
    std::size_t pendingPerformCount(const void* target) const;

    // File descriptor sources. The interest is a mask of Readable and Writable; hang-ups and
    // errors are reported whenever the descriptor is watched. An interest of 0 stops watching.
    Id addSource(int fd, std::uint32_t interest, SourceCallback callback,
                 std::vector<RunLoopMode> modes = {RunLoopModes::Common});
    void setSourceInterest(Id id, std::uint32_t interest);
    void removeSource(Id id);
    bool hasSource(Id id) const;

    // Thread-safe: queues work for a later pass (in any mode) and wakes the loop.
    void post(Callback callback);
    void wakeUp();

    // Runs one pass in the mode, waiting at most maxWait seconds (negative: no limit).
    void runOnce(const RunLoopMode& mode = RunLoopModes::Default, TimeInterval maxWait = 0);
    // Runs passes until done() holds or timeout real seconds have gone; returns done().
    bool runUntil(const std::function<bool()>& done, TimeInterval timeout,
                  const RunLoopMode& mode = RunLoopModes::Default);
    // Runs until stop() is called (from a callback, or from another thread through post()).
    void run(const RunLoopMode& mode = RunLoopModes::Default);
    void stop();

    const RunLoopMode& currentMode() const { return m_currentMode; }

    // Drops every timer, perform, source and posted work; tests call it between cases.
    void reset();

private:
    struct Timer {
        TimeInterval fireAt = 0;
        TimeInterval interval = 0;
        std::shared_ptr<Callback> callback;
        std::vector<RunLoopMode> modes;
        const void* target = nullptr;
        bool isPerform = false;
    };
    struct Perform {
        Id id = 0;
        std::shared_ptr<Callback> callback;
        std::vector<RunLoopMode> modes;
        const void* target = nullptr;
        std::uint64_t pass = 0;
    };
    struct Source {
        int fd = -1;
        std::uint32_t interest = 0;
        std::shared_ptr<SourceCallback> callback;
        std::vector<RunLoopMode> modes;
        bool registered = false;
    };

    static bool inModes(const std::vector<RunLoopMode>& modes, const RunLoopMode& mode);
    void fireTimers(const RunLoopMode& mode);
    void runPerforms(const RunLoopMode& mode);
    void runPass(const RunLoopMode& mode, TimeInterval maxWait, const std::function<bool()>* done);
    std::vector<Callback> takePosts();
    void waitForSources(const RunLoopMode& mode, TimeInterval maxWait);
    void syncSource(Id id, Source& source, const RunLoopMode& mode);
    bool hasReadyWork(const RunLoopMode& mode) const;
    void drainWakeFd();

    std::shared_ptr<Clock> m_clock;
    Id m_nextId = 1;
    std::uint64_t m_pass = 0;
    std::map<Id, Timer> m_timers;
    std::vector<Perform> m_performs;
    std::map<Id, Source> m_sources;
    RunLoopMode m_currentMode = RunLoopModes::Default;
    RunLoopMode m_epollMode;
    bool m_stopRequested = false;

    int m_epollFd = -1;
    int m_wakeFd = -1;
    mutable std::mutex m_postMutex;
    std::vector<Callback> m_posts;
};
