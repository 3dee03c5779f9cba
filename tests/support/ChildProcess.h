#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <iterator>
#include <sched.h>
#include <string>
#include <string_view>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// Work kept out of the test's own process: after a whole-process set-up, or a call that may hang.
namespace ChildProcess {
constexpr int CannotSetUp = 77;
// A child ended by its alarm: its work never finished.
constexpr int Hung = -SIGALRM;

#if defined(__SANITIZE_THREAD__)
constexpr bool UnderThreadSanitizer = true;
#elif defined(__has_feature)
constexpr bool UnderThreadSanitizer = __has_feature(thread_sanitizer);
#else
constexpr bool UnderThreadSanitizer = false;
#endif
// ThreadSanitizer stops a child that starts a thread once its parent had threads when it forked.
constexpr bool ThreadsStartAfterAForkWithThreads = !UnderThreadSanitizer;
// ThreadSanitizer's runtime writes a file of its own as a program starts, before the program can
// set anything: under a file-size limit that write alone is spared the limit's signal, by this
// shell prefix.
inline constexpr const char* SanitizerStartUnderAFileSizeLimit = UnderThreadSanitizer ? "trap '' XFSZ && " : "";

inline int waitFor(pid_t pid)
{
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return CannotSetUp;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Runs setUp, then work, in a child ended after seconds: the low byte of what work returned,
// CannotSetUp, or minus the signal that ended the child (so a crash or a hang fails).
inline int run(const std::function<bool()>& setUp, const std::function<int()>& work, unsigned seconds = 30)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        ::_exit(setUp() ? work() & 0xff : CannotSetUp);
    }
    return waitFor(pid);
}

constexpr const char* AfreshVariable = "FLOORPAD_TEST_AFRESH";
// The descriptor through which a copy says it reached its work.
constexpr const char* AfreshReportVariable = "FLOORPAD_TEST_AFRESH_REPORT";
// A copy that ended without reaching its work: its test was filtered out, skipped, or took
// another path. Above any exit status.
constexpr int RanNoTest = 0x100;

// As runAfresh, for the test named: the copy runs that test alone. Called directly only to check
// how a copy that reaches no work is told.
inline int runAfreshAs(const std::string& name, const std::function<bool()>& setUp, const std::function<int()>& work,
                       unsigned seconds = 30)
{
    if (const char* marked = std::getenv(AfreshVariable); marked && name == marked) {
        // Said before the work starts, since the work may end the copy through exit().
        if (const char* report = std::getenv(AfreshReportVariable)) {
            const int fd = std::atoi(report);
            [[maybe_unused]] const auto said = ::write(fd, "+", 1);
            ::close(fd);
        }
        std::exit(setUp() ? work() & 0xff : CannotSetUp);
    }
    int report[2];
    if (::pipe2(report, O_CLOEXEC | O_NONBLOCK) != 0)
        return CannotSetUp;
    // Made before the fork: a child of a process with threads may not allocate before its exec.
    // The runner's own settings (a shard, a repeat, a report file) would keep the copy from
    // running just this test, once.
    const std::string prefix = std::string(AfreshVariable) + "=", reportPrefix = std::string(AfreshReportVariable) + "=";
    std::string mark = prefix + name, reportMark = reportPrefix + std::to_string(report[1]);
    std::vector<char*> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        if (!text.starts_with("GTEST_") && !text.starts_with(prefix) && !text.starts_with(reportPrefix))
            environment.push_back(*entry);
    }
    environment.push_back(mark.data());
    environment.push_back(reportMark.data());
    environment.push_back(nullptr);
    std::string self = "/proc/self/exe", filter = "--gtest_filter=" + name, brief = "--gtest_brief=1";
    char* arguments[] = {self.data(), filter.data(), brief.data(), nullptr};
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds); // kept across the exec
        ::fcntl(report[1], F_SETFD, 0);
        ::execve(self.c_str(), arguments, environment.data());
        ::_exit(CannotSetUp);
    }
    ::close(report[1]);
    const int status = waitFor(pid);
    // Read once the copy has ended, without waiting: a child of the copy may still hold the pipe.
    // A copy that could not start, or died, says so by its status alone.
    char said = 0;
    const bool reached = ::read(report[0], &said, 1) == 1;
    ::close(report[0]);
    return reached || status == CannotSetUp || status < 0 ? status : RanNoTest;
}

// As run, in a new copy of this test program, for work that must not inherit what earlier tests
// left: a forked child has their singletons but not their threads, and waits on those threads for
// ever; and it may start no thread under ThreadSanitizer once they ran. The copy runs only the
// calling test, marked by the environment, so the test's body up to this call runs again there and
// must take the same path; a test calls this once. work may end the copy through exit(). A copy
// that ends without reaching the work fails with RanNoTest.
inline int runAfresh(const std::function<bool()>& setUp, const std::function<int()>& work, unsigned seconds = 30)
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return runAfreshAs(std::string(test->test_suite_name()) + "." + test->name(), setUp, work, seconds);
}

// What a child's status says, for a failure message; legend tells what the work's own codes mean.
inline std::string meaning(int status, const std::string& legend)
{
    if (status == Hung)
        return "the child hung: its alarm ended it before its work was done";
    if (status < 0)
        return std::string("the child died of ") + ::strsignal(-status);
    if (status == CannotSetUp)
        return "the child could not be started or set up";
    if (status == RanNoTest)
        return "the copy ran no test: it ended without reaching its work";
    return legend;
}

constexpr int ThreadLeftAtExit = 3;

inline std::size_t threadCount()
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/task"), std::filesystem::directory_iterator()));
}

// The threads of a child before its work starts any, once a first thread has come and gone: a
// sanitizer may start one of its own then.
inline std::size_t settledThreadCount()
{
    std::thread([] {}).join();
    return threadCount();
}

// For a child whose work ends through exit(), as a program ends: fails it with ThreadLeftAtExit
// when more than `threads` threads are alive once the static objects begin to go. The check is a
// static made now, as a library makes its tables at first use, so it goes before every static
// made earlier.
inline void checkThreadsAtExit(std::size_t threads)
{
    static const struct Check {
        std::size_t threads;
        ~Check()
        {
            // A joined thread leaves the task list a moment after its join returns.
            for (int i = 0; i < 20 && threadCount() > threads; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (threadCount() > threads)
                ::_exit(ThreadLeftAtExit);
        }
    } check {threads};
}

// A private network namespace, its loopback down, so nothing leaves it; with /run hidden, no
// name service listening there (a lookup cache, a resolver daemon) is asked either.
inline bool offline()
{
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNET | CLONE_NEWNS) == 0
        && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
        && ::mount("none", "/run", "tmpfs", 0, nullptr) == 0;
}
} // namespace ChildProcess
