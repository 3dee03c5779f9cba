#pragma once

#include "platform/foundation/RunLoop.h"

#include <functional>
#include <memory>

// A timer scheduled on a run loop. The run loop keeps a valid timer alive; invalidate() (or the
// single fire of a one-shot timer) releases it. Holding the returned pointer does not keep a
// timer scheduled, and dropping it does not stop one: only invalidate() does.
class NSTimer : public std::enable_shared_from_this<NSTimer> {
public:
    using Block = std::function<void(NSTimer&)>;

    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(TimeInterval interval, bool repeats, Block block,
                                                                   RunLoop& loop = RunLoop::main());
    // An unscheduled timer; addToRunLoop() schedules it.
    static std::shared_ptr<NSTimer> timerWithTimeInterval(TimeInterval interval, bool repeats, Block block);

    void addToRunLoop(RunLoop& loop, std::vector<RunLoopMode> modes);
    // Takes a valid timer off its run loop, keeping its fire date, so that addToRunLoop() can
    // put it on another loop (from that loop's thread) or into other modes.
    void removeFromRunLoop();
    void invalidate();
    bool isValid() const { return m_valid; }
    // Runs the block now; a one-shot timer is invalidated by it, a repeating one keeps its schedule.
    void fire();

    TimeInterval timeInterval() const { return m_interval; }
    bool repeats() const { return m_repeats; }
    TimeInterval fireDate() const;
    void setFireDate(TimeInterval date);

private:
    NSTimer(TimeInterval interval, bool repeats, Block block);
    void timerFired();

    TimeInterval m_interval;
    bool m_repeats;
    Block m_block;
    bool m_valid = true;
    RunLoop* m_loop = nullptr;
    RunLoop::Id m_id = 0;
    TimeInterval m_pendingFireDate = 0;
};
