#include "session/LinkWatchdog.h"

#include "platform/foundation/NSTimer.h"
#include "platform/foundation/RunLoop.h"

LinkWatchdog::LinkWatchdog(std::function<void(const char* reason)> onExpired)
    : m_onExpired(std::move(onExpired))
{
}

LinkWatchdog::~LinkWatchdog()
{
    stop();
}

void LinkWatchdog::requestSent()
{
    if (!m_requestSince) {
        m_requestSince = RunLoop::main().now();
        rearm();
    }
}

void LinkWatchdog::frameArrived()
{
    m_requestSince.reset();
}

void LinkWatchdog::bytesConsumed(bool frameBegun)
{
    if (frameBegun)
        m_frameSince = RunLoop::main().now();
    else
        m_frameSince.reset();
    rearm();
}

bool LinkWatchdog::isBehind(std::size_t unwritten)
{
    const bool behind = unwritten > kMostUnwritten;
    if (behind == m_behindSince.has_value())
        return behind;
    if (behind)
        m_behindSince = RunLoop::main().now();
    else
        m_behindSince.reset();
    rearm();
    return behind;
}

void LinkWatchdog::stop()
{
    m_frameSince.reset();
    m_requestSince.reset();
    m_behindSince.reset();
    if (m_timer)
        m_timer->invalidate();
    m_timer.reset();
}

std::optional<LinkWatchdog::Due> LinkWatchdog::nextDue() const
{
    std::optional<Due> due;
    if (m_frameSince)
        due = Due {*m_frameSince + kStalledFrame, "a begun frame got no further byte"};
    if (m_requestSince && (!due || *m_requestSince + kUnanswered < due->at))
        due = Due {*m_requestSince + kUnanswered, "no reply came to a request"};
    if (m_behindSince && (!due || *m_behindSince + kBehindFor < due->at))
        due = Due {*m_behindSince + kBehindFor, "what it must write stayed behind"};
    return due;
}

void LinkWatchdog::rearm()
{
    const auto due = nextDue();
    if (!due) {
        stop();
        return;
    }
    if (m_timer && m_timer->isValid()) {
        m_timer->setFireDate(due->at);
        return;
    }
    m_timer = NSTimer::scheduledTimerWithTimeInterval(due->at - RunLoop::main().now(), false,
                                                      [this](NSTimer&) { expire(); });
}

void LinkWatchdog::expire()
{
    const auto due = nextDue();
    m_frameSince.reset();
    m_requestSince.reset();
    m_behindSince.reset();
    m_timer.reset();
    if (due)
        m_onExpired(due->reason);
}
