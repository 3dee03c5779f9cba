#pragma once

#include "platform/foundation/Notification.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Synchronous delivery of named notifications on the posting thread (the main thread).
// Delivery runs over a snapshot of the observers: one added during a delivery is first called
// for the next post, one removed during a delivery is not called again, not even later in it.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    // Removes its observer when destroyed or reset. Move-only.
    class Token {
    public:
        Token() = default;
        Token(Token&& other) noexcept;
        Token& operator=(Token&& other) noexcept;
        Token(const Token&) = delete;
        Token& operator=(const Token&) = delete;
        ~Token();
        void reset();
        explicit operator bool() const { return m_id != 0; }

    private:
        friend class NotificationCenter;
        struct State;
        Token(std::weak_ptr<State> state, std::uint64_t id);
        std::weak_ptr<State> m_state;
        std::uint64_t m_id = 0;
    };

    static NotificationCenter& defaultCenter();
    NotificationCenter();

    // An empty name observes every notification; a non-null object only those it posts.
    [[nodiscard]] Token addObserver(std::string name, Handler handler, const void* object = nullptr);
    void post(const Notification& notification);
    void post(std::string name, const void* object = nullptr, std::map<std::string, std::any> userInfo = {});
    std::size_t observerCount(const std::string& name) const;

private:
    std::shared_ptr<Token::State> m_state;
};
