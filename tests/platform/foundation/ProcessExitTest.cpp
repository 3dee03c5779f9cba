#include "platform/foundation/DetachedThreads.h"
#include "platform/foundation/ProcessExit.h"

#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
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
constexpr int StartedUnwaited = 15;
constexpr int RanUnwaited = 16;
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

// The first start of a process that passed the check of the end just before the end began, and
// registers its wait only once the end has closed its list, is refused and runs nothing. The
// kernel holds the starting thread at its first getpid, which start makes between the two; a
// static made once it is held goes first after the end, and lets it go on.
TEST(DetachedThreads, AStartWhoseWaitTheEndRefusesStartsNothing)
{
    std::fflush(nullptr);
    const int status = ChildProcess::run([] { return true; }, []() -> int {
        constexpr int NotYet = -2;
        static std::atomic<int> listener {NotYet}; // -1 when the kernel would not hold the thread
        static std::atomic<int> started {NotYet};
        static seccomp_notif held {};
        std::thread([] {
            sock_filter holdGetpid[] = {
                {BPF_LD | BPF_W | BPF_ABS, 0, 0, offsetof(seccomp_data, nr)},
                {BPF_JMP | BPF_JEQ | BPF_K, 0, 1, SYS_getpid},
                {BPF_RET | BPF_K, 0, 0, SECCOMP_RET_USER_NOTIF},
                {BPF_RET | BPF_K, 0, 0, SECCOMP_RET_ALLOW},
            };
            const sock_fprog program {static_cast<unsigned short>(std::size(holdGetpid)), holdGetpid};
            const long fd = ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0
                ? ::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_NEW_LISTENER, &program)
                : -1;
            listener = fd < 0 ? -1 : static_cast<int>(fd);
            listener.notify_one();
            if (fd >= 0) {
                started = DetachedThreads::start([] { ::_exit(RanUnwaited); });
                started.notify_one();
            }
        }).detach();
        listener.wait(NotYet);
        if (listener < 0)
            return ChildProcess::CannotSetUp;
        while (::ioctl(listener, SECCOMP_IOCTL_NOTIF_RECV, &held) != 0) {
            if (errno != EINTR)
                return ChildProcess::CannotSetUp;
        }
        static const struct LetGo {
            ~LetGo()
            {
                seccomp_notif_resp goOn {.id = held.id, .flags = SECCOMP_USER_NOTIF_FLAG_CONTINUE};
                if (::ioctl(listener, SECCOMP_IOCTL_NOTIF_SEND, &goOn) != 0)
                    ::_exit(ChildProcess::CannotSetUp);
                // The thread's later getpid calls fail instead of waiting for an answer.
                ::close(listener);
                started.wait(NotYet);
                ::_exit(started ? StartedUnwaited : 0);
            }
        } letGo;
        std::exit(0);
    }, 10);
    if (status == ChildProcess::CannotSetUp)
        GTEST_SKIP() << "the kernel holds no thread at a system call here";
    EXPECT_EQ(status, 0) << StartedUnwaited << ": started a thread the end does not wait for; " << RanUnwaited
                         << ": ran its work";
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
