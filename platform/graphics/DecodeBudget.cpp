#include "platform/graphics/DecodeBudget.h"

#include "platform/foundation/MainThread.h"
#include "platform/foundation/ProcessExit.h"
#include "platform/graphics/PictureProblem.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace {
// How long a waiter sleeps before it looks again whether the process is ending: the process's end
// may join a waiting thread before the budget's own end has run (the last work added runs first),
// and the waiter must see the end all the same.
constexpr std::chrono::milliseconds EndCheck {50};
} // namespace

DecodeBudget::Charge::Charge(DecodeBudget& budget, std::size_t bytes)
    : m_budget(&budget)
    , m_bytes(bytes)
{
}

DecodeBudget::Charge::Charge(Charge&& other) noexcept
    : m_budget(std::exchange(other.m_budget, nullptr))
    , m_bytes(other.m_bytes)
{
}

DecodeBudget::Charge::~Charge()
{
    if (m_budget)
        m_budget->release(m_bytes);
}

DecodeBudget::DecodeBudget(std::size_t bytes)
    : m_limit(bytes)
{
}

DecodeBudget& DecodeBudget::shared()
{
    // Never destroyed: a decode may still hand its charge back while the process's statics go.
    static DecodeBudget* const budget = [] {
        auto* made = new DecodeBudget(DefaultBytes);
        (void)ProcessExit::add([made] { made->end(); });
        return made;
    }();
    return *budget;
}

std::optional<DecodeBudget::Charge> DecodeBudget::take(std::size_t cost, PictureProblem& problem)
{
    std::unique_lock lock(m_mutex);
    // The main thread's decode comes before those waiting when it fits: it never waits for them.
    if ((m_queue.empty() || MainThread::isMain()) && fits(cost))
        return hold(cost);
    if (MainThread::isMain() || ending()) {
        problem.notNow(ending() ? "the program is ending"
                                : "the pictures being decoded hold the memory its decoding may take");
        return std::nullopt;
    }
    const std::uint64_t ticket = m_nextTicket++;
    m_queue.push_back(ticket);
    while (!ending() && !(m_queue.front() == ticket && fits(cost)))
        m_changed.wait_for(lock, EndCheck);
    m_queue.erase(std::find(m_queue.begin(), m_queue.end(), ticket));
    // The next in line may fit beside this one.
    m_changed.notify_all();
    if (ending()) {
        problem.notNow("the program is ending");
        return std::nullopt;
    }
    return hold(cost);
}

void DecodeBudget::end()
{
    std::lock_guard lock(m_mutex);
    m_ended = true;
    m_changed.notify_all();
}

bool DecodeBudget::ending() const
{
    return m_ended || ProcessExit::hasBegun();
}

DecodeBudget::Charge DecodeBudget::hold(std::size_t cost)
{
    m_held += cost;
    m_highWater = std::max(m_highWater, m_held);
    return Charge(*this, cost);
}

void DecodeBudget::release(std::size_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_held -= bytes;
    m_changed.notify_all();
}

std::size_t DecodeBudget::highWater() const
{
    std::lock_guard lock(m_mutex);
    return m_highWater;
}

std::size_t DecodeBudget::held() const
{
    std::lock_guard lock(m_mutex);
    return m_held;
}

std::size_t DecodeBudget::waiting() const
{
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}
