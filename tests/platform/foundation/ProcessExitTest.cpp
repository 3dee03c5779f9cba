#include "platform/foundation/DetachedThreads.h"
#include "platform/foundation/ProcessExit.h"

#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace {
constexpr int RanTheParentsWork = 9;
constexpr int SkippedItsOwnWork = 8;
constexpr int StartedAfterTheEndBegan = 10;
constexpr int RefusedWhileTheEndRan = 11;
constexpr int DroppedWhatExitWorkAdded = 12;
constexpr int TookWorkAfterTheEnd = 13;
constexpr int RanRefusedWork = 14;
} // namespace

// The work runs in the process that added it only: a forked child runs what it added itself, and
// none of what its parent had added, whose threads it does not have.
TEST(ProcessExit, AForkedChildRunsOnlyTheWorkItAddedItself)
{
    static const pid_t parent = ::getpid();
    ASSERT_TRUE(ProcessExit::add([] {
        if (::getpid() != parent)
            ::_exit(RanTheParentsWork);
    }));
    std::fflush(nullptr);
    const int status = ChildProcess::run([] { return true; }, []() -> int {
        static std::atomic<bool> ownRan {false};
        if (!ProcessExit::add([] { ownRan = true; }))
            return SkippedItsOwnWork;
        // Made after the work was added, so destroyed once it has run.
        static const struct Check {
            ~Check() { ::_exit(ownRan ? 0 : SkippedItsOwnWork); }
        } check;
        std::exit(0);
    }, 10);
    EXPECT_EQ(status, 0) << RanTheParentsWork << ": ran the parent's work; " << SkippedItsOwnWork << ": not its own";
}

// Work added while the end runs, by exit work, runs too; once the end has found nothing left,
// work is refused and never run. The checks are static objects made last, which go first after
// the end.
TEST(ProcessExit, WorkAddedOnceTheEndHasBegunRunsOrIsRefused)
{
    for (const bool afterTheEnd : {false, true}) {
        std::fflush(nullptr);
        const int status = ChildProcess::run([] { return true; }, [afterTheEnd]() -> int {
            static std::atomic<bool> added {false};
            static std::atomic<bool> ran {false};
            static const auto work = [] { ran = true; };
            if (!afterTheEnd && !ProcessExit::add([] { added = ProcessExit::add(work); }))
                return RefusedWhileTheEndRan;
            static const struct Check {
                bool afterTheEnd;
                ~Check()
                {
                    if (afterTheEnd) {
                        if (ProcessExit::add(work))
                            ::_exit(TookWorkAfterTheEnd);
                        ::_exit(ran ? RanRefusedWork : 0);
                    }
                    if (!added)
                        ::_exit(RefusedWhileTheEndRan);
                    ::_exit(ran ? 0 : DroppedWhatExitWorkAdded);
                }
            } check {afterTheEnd};
            std::exit(0);
        }, 10);
        EXPECT_EQ(status, 0) << "after the end: " << afterTheEnd << "; " << RefusedWhileTheEndRan
                             << ": exit work did not run, or its work was refused; " << DroppedWhatExitWorkAdded
                             << ": took exit work's work and never ran it; " << TookWorkAfterTheEnd
                             << ": took work after the end; " << RanRefusedWork << ": ran work it refused";
    }
}

// The process's end waits for its unjoined threads within a bound, starts none from then on, and
// in a forked child waits for none of the parent's.
TEST(DetachedThreads, TheEndOfTheProcessWaitsForThemWithinABound)
{
    enum Row { EndsInTime, RunsOnPastTheBound, StartedAtExit, StartedInTheParent };
    for (const Row row : {EndsInTime, RunsOnPastTheBound, StartedAtExit, StartedInTheParent}) {
        std::atomic<bool> release {false};
        if (row == StartedInTheParent) {
            ASSERT_TRUE(DetachedThreads::start([&release] {
                while (!release)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }));
        }
        std::fflush(nullptr);
        const auto start = std::chrono::steady_clock::now();
        const int status = ChildProcess::run([] { return true; }, [row]() -> int {
            // Nothing is counted in a child of a parent with threads, which a sanitizer may refuse.
            const auto threads = row == StartedInTheParent ? 0 : ChildProcess::settledThreadCount();
            if (row == EndsInTime)
                DetachedThreads::start([] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); });
            if (row == RunsOnPastTheBound)
                DetachedThreads::start([] { ::pause(); });
            else if (row != StartedInTheParent)
                ChildProcess::checkThreadsAtExit(threads);
            if (row == StartedAtExit)
                std::atexit([] {
                    if (DetachedThreads::start([] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }))
                        ::_exit(StartedAfterTheEndBegan);
                });
            std::exit(0);
        }, 10);
        const auto took = std::chrono::steady_clock::now() - start;
        release = true;
        while (DetachedThreads::running() > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(status, 0) << "row " << row << "; 3: a thread ran on as static objects went";
        // With room for the second that ThreadSanitizer sleeps at every exit.
        const auto bound = row == RunsOnPastTheBound ? DetachedThreads::ExitWait + std::chrono::milliseconds(1800)
                                                     : std::chrono::milliseconds(1800);
        EXPECT_LT(took, bound) << "row " << row;
        if (row == RunsOnPastTheBound) {
            EXPECT_GE(took, DetachedThreads::ExitWait) << "did not wait";
        }
    }
}
