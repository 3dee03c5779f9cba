#pragma once

#include <functional>

// The thread the program started on, which runs the main run loop, and hand-overs to it.
namespace MainThread {
bool isMain();
// Runs work on a later pass of the main run loop.
void async(std::function<void()> work);
// Runs work on the main thread and waits for it; at once when already there. A waiting worker
// is let go, and the work dropped unseen, when released() turns true before the main thread
// has begun it, or once shutdown() has been called. Returns whether the work ran.
bool sync(const std::function<void()>& work, const std::function<bool()>& released = {});
// Lets every waiting and later worker go at once; for the end of the process and of tests.
void shutdown();
void resumeAfterShutdown();
} // namespace MainThread
