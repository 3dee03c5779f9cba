#pragma once

#include <functional>

// Work done as the process ends and before any object of static storage duration is destroyed:
// ending the threads the program still runs then (a capture, picture downloads), which use such
// objects (the code reader's tables, the transfer library, our singletons).
//
// Static objects go in the reverse order of their making, and a library makes some of its own
// lazily, at first use, well after anything of ours was made or registered with atexit: neither
// a static of ours nor an atexit handler is sure to run before those go. What is sure is that the
// thread-local objects of the thread that ends the process are all destroyed before the first
// static one is. So the work runs from the destructor of a thread-local object of the main
// thread, made during static initialisation: when main returns or the main thread calls exit().
// A process ended from another thread, or by _exit, runs none of it.
//
// Work runs only in the process that added it: a forked child has none of its parent's threads,
// so it runs only the work it adds itself. A registration made once for the whole program must
// therefore be made again in a child that starts threads of the same kind.
//
// The end runs this process's work until none is left, so work added while it runs (by work of its
// own, or by another thread) runs too; only once it has found none left does it close the list.
// Work added after that would never run, and is refused: whoever adds work that a thread of its
// depends on must start no such thread when the work is refused.
namespace ProcessExit {
// Work to run then, at most once, the last added first; any thread may add. True when the work
// will run; false once this process's end has closed its list, with the work dropped unrun.
[[nodiscard]] bool add(std::function<void()> work);
// From the moment that work begins: a thread started after it would run into the static objects
// going, so nothing should start one.
bool hasBegun();
} // namespace ProcessExit
