#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

class PictureProblem;

// What the pictures being decoded at once may hold together. Each decode is charged, before it
// takes any memory, the most its kind and size can make it hold (DecodeCost), and holds the charge
// until it is done; one that would take the sum past the budget waits its turn, in the order they
// came, so the sum follows the budget and not how many pictures arrive at once. A decode charged
// more than the whole budget still runs once nothing else is charged, and holds everyone after it
// back until it is done: the sum is at most the budget or that one decode.
//
// The main thread never waits: its run loop would stop behind a decode that may take seconds. A
// decode there that does not fit at once is refused "now" (the caller shows what it would show
// without the picture, and a later look, or a queue's, gets it). Waiting ends as the process ends,
// with the decode refused: the threads that wait are joined then, and a decode begun after that
// would only hold the end up.
class DecodeBudget {
public:
    // Room for a hundred ordinary dish pictures at once, or a JPEG of the largest size with every
    // coefficient held and small ones beside it; the costliest picture (a lossless WebP of the
    // largest size, some 1.7 GiB) runs alone.
    static constexpr std::size_t DefaultBytes = std::size_t {1} << 30;

    // Held by a decode while it runs; the charge goes back to the budget as it goes.
    class Charge {
    public:
        Charge(Charge&& other) noexcept;
        Charge& operator=(Charge&&) = delete;
        ~Charge();

    private:
        friend class DecodeBudget;
        Charge(DecodeBudget& budget, std::size_t bytes);
        DecodeBudget* m_budget;
        std::size_t m_bytes;
    };

    explicit DecodeBudget(std::size_t bytes);
    // The process's own, which every decoder is charged against.
    static DecodeBudget& shared();

    // The charge for cost once it fits; nothing, with why in problem, on the main thread when it
    // does not fit at once, and when the wait ends with the process (or end()).
    std::optional<Charge> take(std::size_t cost, PictureProblem& problem);
    // Lets every decode waiting go, refused, and refuses every later one that would wait.
    void end();

    std::size_t limit() const { return m_limit; }
    // The most ever held at once, what is held now and how many wait: for tests and measuring.
    std::size_t highWater() const;
    std::size_t held() const;
    std::size_t waiting() const;

private:
    bool fits(std::size_t cost) const { return m_held == 0 || m_held + cost <= m_limit; }
    bool ending() const;
    Charge hold(std::size_t cost);
    void release(std::size_t bytes);

    const std::size_t m_limit;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_held = 0;
    std::size_t m_highWater = 0;
    std::deque<std::uint64_t> m_queue; // the tickets of the decodes waiting, first come first
    std::uint64_t m_nextTicket = 0;
    bool m_ended = false;
};
