#pragma once

#include <functional>

// Work that must not run in the test's own process: after a set-up for the whole process (a
// private network, a library started differently), or a call that might never return.
namespace ChildProcess {
constexpr int CannotSetUp = 77;

// Runs setUp and then work in a forked child that is ended after seconds. The low byte of what
// work returned, CannotSetUp when setUp failed, or minus the signal that ended the child (a crash
// or a hang fails, never skips).
int run(const std::function<bool()>& setUp, const std::function<int()>& work, unsigned seconds = 30);

// A set-up: a private network namespace, its loopback down, so nothing leaves it; the name
// services that listen in /run (a lookup cache, a resolver daemon) are hidden, so no name is
// asked outside it either.
bool offline();
} // namespace ChildProcess
