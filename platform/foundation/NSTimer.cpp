#include "platform/foundation/NSTimer.h"

NSTimer::NSTimer(TimeInterval interval, bool repeats, Block block)
    : m_interval(interval > 0 ? interval : 0.0001)
    , m_repeats(repeats)
    , m_block(std::move(block))
{
}

std::shared_ptr<NSTimer> NSTimer::timerWithTimeInterval(TimeInterval interval, bool repeats, Block block)
{
    return std::shared_ptr<NSTimer>(new NSTimer(interval, repeats, std::move(block)));
}

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(TimeInterval interval, bool repeats, Block block,
                                                                 RunLoop& loop)
{
    auto timer = timerWithTimeInterval(interval, repeats, std::move(block));
    timer->addToRunLoop(loop, {RunLoopModes::Default});
    return timer;
}

void NSTimer::addToRunLoop(RunLoop& loop, std::vector<RunLoopMode> modes)
{
    if (!m_valid || m_loop)
        return;
    m_loop = &loop;
    const TimeInterval fireAt = m_pendingFireDate > 0 ? m_pendingFireDate : loop.now() + m_interval;
    // The run loop's callback owns the timer until it is invalidated.
    auto self = shared_from_this();
    m_id = loop.addTimer(fireAt, m_repeats ? m_interval : 0, [self] { self->timerFired(); }, std::move(modes));
}

void NSTimer::removeFromRunLoop()
{
    if (!m_valid || !m_loop)
        return;
    auto keepAlive = shared_from_this(); // the run loop's callback may be its only owner
    m_pendingFireDate = m_loop->timerFireDate(m_id);
    m_loop->removeTimer(m_id);
    m_loop = nullptr;
    m_id = 0;
}

void NSTimer::timerFired()
{
    if (!m_valid)
        return;
    auto keepAlive = shared_from_this();
    if (!m_repeats) {
        m_valid = false; // the run loop already dropped a one-shot timer
        m_loop = nullptr;
        m_id = 0;
    }
    if (m_block)
        m_block(*this);
}

void NSTimer::invalidate()
{
    if (!m_valid)
        return;
    m_valid = false;
    if (m_loop) {
        auto keepAlive = shared_from_this();
        m_loop->removeTimer(m_id);
        m_loop = nullptr;
        m_id = 0;
    }
}

void NSTimer::fire()
{
    if (!m_valid)
        return;
    auto keepAlive = shared_from_this();
    if (m_block)
        m_block(*this);
    if (!m_repeats)
        invalidate();
}

TimeInterval NSTimer::fireDate() const
{
    return m_loop ? m_loop->timerFireDate(m_id) : m_pendingFireDate;
}

void NSTimer::setFireDate(TimeInterval date)
{
    if (m_loop)
        m_loop->setTimerFireDate(m_id, date);
    else
        m_pendingFireDate = date;
}
