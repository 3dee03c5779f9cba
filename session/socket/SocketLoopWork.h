#pragma once

#include "platform/foundation/NSTimer.h"
#include "platform/foundation/RunLoop.h"

#include <memory>
#include <type_traits>
#include <vector>

// Deferred work and timers that a socket hands to its run loop. They hold the socket weakly:
// one released before they fire is simply not called.
namespace SocketLoopWork {

// Calls socket.*action on the loop later. *id, when given, holds the pending work's id until it
// runs, so a close can cancel it.
template <class Socket>
void performLater(Socket& socket, RunLoop& loop, const std::vector<RunLoopMode>& modes, void (Socket::*action)(),
                  RunLoop::Id* id = nullptr)
{
    std::weak_ptr<Socket> weak = socket.weak_from_this();
    const RunLoop::Id performId = loop.perform([weak, action, id] {
        if (auto self = weak.lock()) {
            if (id)
                *id = 0;
            ((*self).*action)();
        }
    }, 0, &socket, modes);
    if (id)
        *id = performId;
}

// A one-shot timer calling socket.*action, which may or may not take the timer that fired.
template <class Socket, class Action>
std::shared_ptr<NSTimer> makeTimer(Socket& socket, RunLoop& loop, const std::vector<RunLoopMode>& modes,
                                   TimeInterval seconds, Action action)
{
    std::weak_ptr<Socket> weak = socket.weak_from_this();
    auto timer = NSTimer::timerWithTimeInterval(seconds, false, [weak, action](NSTimer& fired) {
        auto self = weak.lock();
        if (!self)
            return;
        if constexpr (std::is_invocable_v<Action, Socket&, NSTimer&>)
            ((*self).*action)(fired);
        else
            ((*self).*action)();
    });
    timer->addToRunLoop(loop, modes);
    return timer;
}

} // namespace SocketLoopWork
