#pragma once

#include <memory>

// Seconds, as the run loop and timers count them.
using TimeInterval = double;

// The time source of a run loop. Production code uses the monotonic system clock; tests
// install a ManualClock so that timers and animations advance only when told.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TimeInterval now() const = 0;
    // True when waiting lets time pass (a manual clock only moves when advanced).
    virtual bool advancesByItself() const { return true; }
};

class SystemClock final : public Clock {
public:
    TimeInterval now() const override;
    static std::shared_ptr<SystemClock> shared();
};

class ManualClock final : public Clock {
public:
    explicit ManualClock(TimeInterval start = 1000.0) : m_now(start) {}
    TimeInterval now() const override { return m_now; }
    bool advancesByItself() const override { return false; }
    void advance(TimeInterval seconds) { m_now += seconds; }
    void set(TimeInterval now) { m_now = now; }

private:
    TimeInterval m_now;
};
