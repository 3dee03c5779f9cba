#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

// Threads that nobody joins, for work that cannot be interrupted and must not hold up whoever
// gives up on it: a host-name lookup, which a resolver may hold for seconds, or a task run while a
// busy indicator is up. Each is counted while it runs. The end of the process that started them
// waits up to ExitWait for them to return before any static object goes; one still running past
// that is left to the work itself, which must then touch nothing that goes at exit (the main run
// loop and the heap stay). None starts once that end has begun, nor when the end would not wait
// for it: the first of a process registers that wait with ProcessExit::add, and a refusal there,
// from a start that raced the end, refuses the start too.
namespace DetachedThreads {
constexpr std::chrono::milliseconds ExitWait {2000};

// Runs work on a thread of its own. False, with nothing started, once the process's end has begun
// or when no thread can be had.
bool start(std::function<void()> work);
// How many of this process's still run.
std::size_t running();
} // namespace DetachedThreads
