#include "session/LinkWatchdog.h"

#include "platform/foundation/NSTimer.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>

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

void LinkWatchdog::bytesArrived()
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

void LinkWatchdog::stop()
{
    m_frameSince.reset();
    m_requestSince.reset();
    if (m_timer)
        m_timer->invalidate();
    m_timer.reset();
}

void LinkWatchdog::rearm()
{
    std::optional<TimeInterval> deadline;
    if (m_frameSince)
        deadline = *m_frameSince + kStalledFrame;
    if (m_requestSince)
        deadline = std::min(deadline.value_or(*m_requestSince + kUnanswered), *m_requestSince + kUnanswered);
    if (!deadline) {
        if (m_timer)
            m_timer->invalidate();
        m_timer.reset();
        return;
    }
    if (m_timer && m_timer->isValid()) {
        m_timer->setFireDate(*deadline);
        return;
    }
    m_timer = NSTimer::scheduledTimerWithTimeInterval(*deadline - RunLoop::main().now(), false,
                                                      [this](NSTimer&) { expire(); });
}

void LinkWatchdog::expire()
{
    const char* reason = m_frameSince && (!m_requestSince || *m_frameSince + kStalledFrame <= *m_requestSince + kUnanswered)
        ? "a begun frame got no further byte"
        : "no reply came to a request";
    m_frameSince.reset();
    m_requestSince.reset();
    m_timer.reset();
    m_onExpired(reason);
}
