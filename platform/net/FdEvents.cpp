#include "platform/net/FdEvents.h"

namespace {
constexpr std::uint32_t kTrouble = RunLoop::Hangup | RunLoop::Error;
} // namespace

FdEvents::FdEvents(int fd, Callback callback)
    : m_fd(fd)
    , m_callback(std::move(callback))
{
}

FdEvents::~FdEvents()
{
    unschedule();
}

void FdEvents::schedule(RunLoop& loop, std::vector<RunLoopMode> modes)
{
    unschedule();
    m_loop = &loop;
    m_modes = std::move(modes);
    sync();
}

void FdEvents::unschedule()
{
    if (m_loop && m_sourceId)
        m_loop->removeSource(m_sourceId);
    m_sourceId = 0;
    m_loop = nullptr;
}

void FdEvents::enable(std::uint32_t kinds)
{
    m_enabled |= kinds & (RunLoop::Readable | RunLoop::Writable);
    sync();
}

void FdEvents::sync()
{
    if (!m_loop || m_fd < 0 || m_modes.empty())
        return;
    if (m_sourceId) {
        m_loop->setSourceInterest(m_sourceId, m_enabled);
        return;
    }
    std::weak_ptr<FdEvents*> alive = m_alive;
    m_sourceId = m_loop->addSource(m_fd, m_enabled, [alive](std::uint32_t events) {
        if (auto self = alive.lock())
            (*self)->fired(events);
    }, m_modes);
}

void FdEvents::fired(std::uint32_t events)
{
    const std::uint32_t delivered = events & (m_enabled | kTrouble);
    if ((m_enabled & RunLoop::Readable) && (events & (RunLoop::Readable | kTrouble)))
        m_enabled &= ~RunLoop::Readable;
    if ((m_enabled & RunLoop::Writable) && (events & (RunLoop::Writable | kTrouble)))
        m_enabled &= ~RunLoop::Writable;
    sync();
    auto callback = m_callback; // may destroy this object
    callback(delivered);
}
