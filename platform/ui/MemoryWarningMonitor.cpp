#include "platform/ui/MemoryWarningMonitor.h"

#include "platform/foundation/ProcessMemory.h"
#include "platform/ui/UIApplication.h"

MemoryWarningMonitor& MemoryWarningMonitor::shared()
{
    static auto* monitor = new MemoryWarningMonitor(
        [] { return Readings {ProcessMemory::residentBytes(), ProcessMemory::availableBytes()}; }, {},
        RunLoop::main());
    return *monitor;
}

MemoryWarningMonitor::MemoryWarningMonitor(Reader reader, Thresholds thresholds, RunLoop& loop)
    : m_reader(std::move(reader))
    , m_thresholds(thresholds)
    , m_loop(loop)
{
}

MemoryWarningMonitor::~MemoryWarningMonitor()
{
    m_loop.removeTimer(m_timer);
}

void MemoryWarningMonitor::start()
{
    m_loop.post([this, alive = std::weak_ptr<bool>(m_alive)] {
        if (!alive.expired())
            schedule();
    });
}

bool MemoryWarningMonitor::isRunning() const
{
    return m_timer && m_loop.hasTimer(m_timer);
}

void MemoryWarningMonitor::schedule()
{
    if (isRunning())
        return;
    m_timer = m_loop.addTimer(m_loop.now() + m_thresholds.interval, m_thresholds.interval, [this] { check(); },
                              {RunLoopModes::Common});
}

bool MemoryWarningMonitor::check()
{
    const Readings readings = m_reader();
    const bool isShort = (readings.residentBytes && readings.residentBytes > m_thresholds.maxResident)
        || (readings.availableBytes && readings.availableBytes < m_thresholds.minAvailable);
    const TimeInterval now = m_loop.now();
    if (!isShort || (m_warnedBefore && now - m_lastWarning < m_thresholds.quietPeriod))
        return false;
    m_warnedBefore = true;
    m_lastWarning = now;
    UIApplication::sharedApplication().receiveMemoryWarning();
    return true;
}
