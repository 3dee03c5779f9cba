#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

constexpr TimeInterval kMinimumInterval = 0.0001;

std::uint32_t toEpoll(std::uint32_t interest)
{
    std::uint32_t events = 0;
    if (interest & RunLoop::Readable)
        events |= EPOLLIN | EPOLLRDHUP;
    if (interest & RunLoop::Writable)
        events |= EPOLLOUT;
    return events;
}

std::uint32_t fromEpoll(std::uint32_t events)
{
    std::uint32_t out = 0;
    if (events & EPOLLIN)
        out |= RunLoop::Readable;
    if (events & EPOLLOUT)
        out |= RunLoop::Writable;
    if (events & (EPOLLHUP | EPOLLRDHUP))
        out |= RunLoop::Hangup;
    if (events & EPOLLERR)
        out |= RunLoop::Error;
    return out;
}

TimeInterval realNow()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

RunLoop& RunLoop::main()
{
    static RunLoop* loop = new RunLoop();
    return *loop;
}

RunLoop::RunLoop(std::shared_ptr<Clock> clock)
    : m_clock(std::move(clock))
{
    m_epollFd = epoll_create1(EPOLL_CLOEXEC);
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_epollFd < 0 || m_wakeFd < 0) {
        std::perror("run loop");
        std::abort();
    }
    epoll_event ev {};
    ev.events = EPOLLIN;
    ev.data.u64 = 0;
    epoll_ctl(m_epollFd, EPOLL_CTL_ADD, m_wakeFd, &ev);
}

RunLoop::~RunLoop()
{
    close(m_wakeFd);
    close(m_epollFd);
}

void RunLoop::setClock(std::shared_ptr<Clock> clock)
{
    m_clock = std::move(clock);
}

bool RunLoop::inModes(const std::vector<RunLoopMode>& modes, const RunLoopMode& mode)
{
    for (const auto& m : modes) {
        if (m == mode)
            return true;
        if (m == RunLoopModes::Common && (mode == RunLoopModes::Default || mode == RunLoopModes::Tracking))
            return true;
    }
    return false;
}

// ---- timers

RunLoop::Id RunLoop::addTimer(TimeInterval fireAt, TimeInterval interval, Callback callback,
                              std::vector<RunLoopMode> modes, const void* target)
{
    Id id = m_nextId++;
    Timer timer;
    timer.fireAt = fireAt;
    timer.interval = interval > 0 ? std::max(interval, kMinimumInterval) : 0;
    timer.callback = std::make_shared<Callback>(std::move(callback));
    timer.modes = std::move(modes);
    timer.target = target;
    m_timers.emplace(id, std::move(timer));
    return id;
}

void RunLoop::removeTimer(Id id)
{
    m_timers.erase(id);
}

bool RunLoop::hasTimer(Id id) const
{
    return m_timers.count(id) != 0;
}

void RunLoop::setTimerFireDate(Id id, TimeInterval fireAt)
{
    auto it = m_timers.find(id);
    if (it != m_timers.end())
        it->second.fireAt = fireAt;
}

TimeInterval RunLoop::timerFireDate(Id id) const
{
    auto it = m_timers.find(id);
    return it == m_timers.end() ? 0 : it->second.fireAt;
}

void RunLoop::fireTimers(const RunLoopMode& mode)
{
    const TimeInterval now = m_clock->now();
    std::vector<std::pair<TimeInterval, Id>> due;
    for (const auto& [id, timer] : m_timers) {
        if (timer.fireAt <= now && inModes(timer.modes, mode))
            due.emplace_back(timer.fireAt, id);
    }
    std::sort(due.begin(), due.end());
    for (const auto& [fireAt, id] : due) {
        auto it = m_timers.find(id);
        if (it == m_timers.end() || it->second.fireAt > now)
            continue; // removed or moved by an earlier callback of this pass
        auto callback = it->second.callback;
        if (it->second.interval > 0) {
            Timer& timer = it->second;
            const double missed = std::floor((now - timer.fireAt) / timer.interval);
            timer.fireAt += timer.interval * (missed + 1);
        } else {
            m_timers.erase(it);
        }
        (*callback)();
    }
}

// ---- performs

RunLoop::Id RunLoop::perform(Callback callback, TimeInterval delay, const void* target,
                             std::vector<RunLoopMode> modes)
{
    if (delay > 0) {
        Id id = addTimer(m_clock->now() + delay, 0, std::move(callback), std::move(modes), target);
        m_timers[id].isPerform = true;
        return id;
    }
    Perform p;
    p.id = m_nextId++;
    p.callback = std::make_shared<Callback>(std::move(callback));
    p.modes = std::move(modes);
    p.target = target;
    p.pass = m_pass;
    m_performs.push_back(std::move(p));
    return m_performs.back().id;
}

void RunLoop::cancelPerform(Id id)
{
    auto it = m_timers.find(id);
    if (it != m_timers.end() && it->second.isPerform)
        m_timers.erase(it);
    std::erase_if(m_performs, [id](const Perform& p) { return p.id == id; });
}

void RunLoop::cancelPerforms(const void* target)
{
    if (!target)
        return;
    std::erase_if(m_timers, [target](const auto& entry) {
        return entry.second.isPerform && entry.second.target == target;
    });
    std::erase_if(m_performs, [target](const Perform& p) { return p.target == target; });
}

std::size_t RunLoop::pendingPerformCount(const void* target) const
{
    std::size_t count = 0;
    for (const auto& [id, timer] : m_timers)
        count += timer.isPerform && timer.target == target;
    for (const auto& p : m_performs)
        count += p.target == target;
    return count;
}

void RunLoop::runPerforms(const RunLoopMode& mode)
{
    // Only performs queued before this pass began run now; the list may change under the
    // callbacks, so each one is looked up again by id.
    std::vector<Id> ready;
    for (const auto& p : m_performs) {
        if (p.pass < m_pass && inModes(p.modes, mode))
            ready.push_back(p.id);
    }
    for (Id id : ready) {
        auto it = std::find_if(m_performs.begin(), m_performs.end(), [id](const Perform& p) { return p.id == id; });
        if (it == m_performs.end())
            continue;
        auto callback = it->callback;
        m_performs.erase(it);
        (*callback)();
    }
}

// ---- posts from any thread

void RunLoop::post(Callback callback)
{
    {
        std::lock_guard lock(m_postMutex);
        m_posts.push_back(std::move(callback));
    }
    wakeUp();
}

void RunLoop::wakeUp()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(m_wakeFd, &one, sizeof one);
}

void RunLoop::drainWakeFd()
{
    std::uint64_t value;
    while (::read(m_wakeFd, &value, sizeof value) > 0) {
    }
}

std::vector<RunLoop::Callback> RunLoop::takePosts()
{
    std::vector<Callback> posts;
    std::lock_guard lock(m_postMutex);
    posts.swap(m_posts);
    return posts;
}

// ---- sources

RunLoop::Id RunLoop::addSource(int fd, std::uint32_t interest, SourceCallback callback, std::vector<RunLoopMode> modes)
{
    Id id = m_nextId++;
    Source source;
    source.fd = fd;
    source.interest = interest;
    source.callback = std::make_shared<SourceCallback>(std::move(callback));
    source.modes = std::move(modes);
    auto& stored = m_sources.emplace(id, std::move(source)).first->second;
    syncSource(id, stored, m_epollMode.empty() ? RunLoopModes::Default : m_epollMode);
    return id;
}

void RunLoop::setSourceInterest(Id id, std::uint32_t interest)
{
    auto it = m_sources.find(id);
    if (it == m_sources.end() || it->second.interest == interest)
        return;
    it->second.interest = interest;
    syncSource(id, it->second, m_epollMode.empty() ? RunLoopModes::Default : m_epollMode);
}

void RunLoop::removeSource(Id id)
{
    auto it = m_sources.find(id);
    if (it == m_sources.end())
        return;
    if (it->second.registered)
        epoll_ctl(m_epollFd, EPOLL_CTL_DEL, it->second.fd, nullptr);
    m_sources.erase(it);
}

bool RunLoop::hasSource(Id id) const
{
    return m_sources.count(id) != 0;
}

// Keeps the epoll set equal to the sources that are watched in the mode, so a ready descriptor
// of another mode never wakes the loop over and over.
void RunLoop::syncSource(Id id, Source& source, const RunLoopMode& mode)
{
    const bool wanted = source.interest != 0 && inModes(source.modes, mode);
    epoll_event ev {};
    ev.events = toEpoll(source.interest);
    ev.data.u64 = id;
    if (wanted && !source.registered) {
        source.registered = epoll_ctl(m_epollFd, EPOLL_CTL_ADD, source.fd, &ev) == 0;
    } else if (wanted) {
        epoll_ctl(m_epollFd, EPOLL_CTL_MOD, source.fd, &ev);
    } else if (source.registered) {
        epoll_ctl(m_epollFd, EPOLL_CTL_DEL, source.fd, nullptr);
        source.registered = false;
    }
}

bool RunLoop::hasReadyWork(const RunLoopMode& mode) const
{
    for (const auto& p : m_performs) {
        if (inModes(p.modes, mode))
            return true;
    }
    std::lock_guard lock(m_postMutex);
    return !m_posts.empty();
}

void RunLoop::waitForSources(const RunLoopMode& mode, TimeInterval maxWait)
{
    if (m_epollMode != mode) {
        m_epollMode = mode;
        for (auto& [id, source] : m_sources)
            syncSource(id, source, mode);
    }

    TimeInterval wait = maxWait;
    if (hasReadyWork(mode)) {
        wait = 0;
    } else if (m_clock->advancesByItself()) {
        const TimeInterval now = m_clock->now();
        for (const auto& [id, timer] : m_timers) {
            if (!inModes(timer.modes, mode))
                continue;
            const TimeInterval untilDue = std::max(0.0, timer.fireAt - now);
            if (wait < 0 || untilDue < wait)
                wait = untilDue;
        }
    }
    int timeoutMs = wait < 0 ? -1 : static_cast<int>(std::ceil(std::min(wait, 3600.0) * 1000.0));

    epoll_event events[64];
    int count;
    do {
        count = epoll_wait(m_epollFd, events, 64, timeoutMs);
    } while (count < 0 && errno == EINTR);

    for (int i = 0; i < count; ++i) {
        const Id id = events[i].data.u64;
        if (id == 0) {
            drainWakeFd();
            continue;
        }
        auto it = m_sources.find(id);
        if (it == m_sources.end() || !it->second.registered)
            continue; // removed or unwatched by an earlier callback of this pass
        auto callback = it->second.callback;
        (*callback)(fromEpoll(events[i].events));
    }
}

// ---- running

void RunLoop::runOnce(const RunLoopMode& mode, TimeInterval maxWait)
{
    runPass(mode, maxWait, nullptr);
}

// A caller waiting for a condition that this pass's work has met does not wait for sources; the
// ready ones are still served.
void RunLoop::runPass(const RunLoopMode& mode, TimeInterval maxWait, const std::function<bool()>* done)
{
    const RunLoopMode previous = m_currentMode;
    m_currentMode = mode;
    ++m_pass;
    auto posts = takePosts(); // what arrives from now on waits for the next pass
    fireTimers(mode);
    runPerforms(mode);
    for (auto& post : posts)
        post();
    waitForSources(mode, done && (*done)() ? 0 : maxWait);
    m_currentMode = previous;
}

bool RunLoop::runUntil(const std::function<bool()>& done, TimeInterval timeout, const RunLoopMode& mode)
{
    const TimeInterval deadline = realNow() + timeout;
    while (!done()) {
        const TimeInterval left = deadline - realNow();
        if (left <= 0)
            return done();
        runPass(mode, std::min(left, 0.05), &done);
    }
    return true;
}

void RunLoop::run(const RunLoopMode& mode)
{
    m_stopRequested = false;
    while (!m_stopRequested)
        runOnce(mode, -1);
    m_stopRequested = false;
}

void RunLoop::stop()
{
    m_stopRequested = true;
    wakeUp();
}

void RunLoop::reset()
{
    for (auto& [id, source] : m_sources) {
        if (source.registered)
            epoll_ctl(m_epollFd, EPOLL_CTL_DEL, source.fd, nullptr);
    }
    m_sources.clear();
    // What the dropped work holds may reach back into the loop as it goes (an object cancelling
    // its performs from its destructor): the work is taken out first and let go after.
    auto timers = std::exchange(m_timers, {});
    auto performs = std::exchange(m_performs, {});
    decltype(m_posts) posts;
    {
        std::lock_guard lock(m_postMutex);
        posts.swap(m_posts);
    }
    m_stopRequested = false;
}
