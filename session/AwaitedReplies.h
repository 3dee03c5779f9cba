#pragma once

#include <cstddef>
#include <map>

// The replies the tablet waits for: a request whose command the venue's reply carries back,
// counted by command. A reply that finds none of its command waiting came unasked, and what it
// raises must not stand in the way of what the user needs to see. Only commands the dispatcher
// handles are counted, so the table stays as small as that list however long the shift.
class AwaitedReplies {
public:
    void requestSent(int command);
    // Whether a request of that command was waiting; the oldest counts as answered.
    bool replyArrived(int command);
    // The link went, and took what it awaited with it.
    void clear() { m_waiting.clear(); }
    std::size_t waiting(int command) const;

private:
    std::map<int, std::size_t> m_waiting;
};
