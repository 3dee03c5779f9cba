#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <atomic>
#include <mutex>

struct NotificationCenter::Token::State {
    struct Observer {
        std::uint64_t id;
        std::string name;
        const void* object;
        std::shared_ptr<Handler> handler;
        std::shared_ptr<std::atomic<bool>> alive;
    };
    // Posting is the main thread's, but an observing object may be released on any thread (a
    // download's last reference ends on its worker), so its token's removal takes the lock too.
    mutable std::mutex mutex;
    std::vector<Observer> observers;
    std::uint64_t nextId = 1;

    void remove(std::uint64_t id)
    {
        // Let go only once the lock is: what the handler holds may own tokens of this center.
        std::shared_ptr<Handler> handler;
        std::lock_guard lock(mutex);
        auto it = std::find_if(observers.begin(), observers.end(), [id](const Observer& o) { return o.id == id; });
        if (it == observers.end())
            return;
        *it->alive = false;
        handler = std::move(it->handler);
        observers.erase(it);
    }
};

NotificationCenter::Token::Token(std::weak_ptr<State> state, std::uint64_t id)
    : m_state(std::move(state))
    , m_id(id)
{
}

NotificationCenter::Token::Token(Token&& other) noexcept
    : m_state(std::move(other.m_state))
    , m_id(other.m_id)
{
    other.m_id = 0;
}

NotificationCenter::Token& NotificationCenter::Token::operator=(Token&& other) noexcept
{
    if (this != &other) {
        reset();
        m_state = std::move(other.m_state);
        m_id = other.m_id;
        other.m_id = 0;
    }
    return *this;
}

NotificationCenter::Token::~Token()
{
    reset();
}

void NotificationCenter::Token::reset()
{
    if (m_id == 0)
        return;
    if (auto state = m_state.lock())
        state->remove(m_id);
    m_id = 0;
    m_state.reset();
}

NotificationCenter& NotificationCenter::defaultCenter()
{
    static auto* center = new NotificationCenter();
    return *center;
}

NotificationCenter::NotificationCenter()
    : m_state(std::make_shared<Token::State>())
{
}

NotificationCenter::Token NotificationCenter::addObserver(std::string name, Handler handler, const void* object)
{
    std::lock_guard lock(m_state->mutex);
    const auto id = m_state->nextId++;
    m_state->observers.push_back({id, std::move(name), object, std::make_shared<Handler>(std::move(handler)),
                                  std::make_shared<std::atomic<bool>>(true)});
    return Token(m_state, id);
}

void NotificationCenter::post(const Notification& notification)
{
    auto state = m_state; // an observer may drop the last reference to the center's state
    const auto snapshot = [&] {
        std::lock_guard lock(state->mutex);
        return state->observers;
    }();
    for (const auto& observer : snapshot) {
        if (!*observer.alive)
            continue;
        if (!observer.name.empty() && observer.name != notification.name)
            continue;
        if (observer.object && observer.object != notification.object)
            continue;
        (*observer.handler)(notification);
    }
}

void NotificationCenter::post(std::string name, const void* object, std::map<std::string, std::any> userInfo)
{
    post(Notification {std::move(name), object, std::move(userInfo)});
}

std::size_t NotificationCenter::observerCount(const std::string& name) const
{
    std::lock_guard lock(m_state->mutex);
    return static_cast<std::size_t>(std::count_if(m_state->observers.begin(), m_state->observers.end(),
                                                  [&](const auto& o) { return o.name == name; }));
}
