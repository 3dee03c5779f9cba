#include "platform/foundation/URLConnection.h"
#include "platform/foundation/URLErrors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <curl/curl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
struct FailureRecorder : URLConnectionDelegate {
    int code = 1; // no failure heard
    bool connectionDidReceiveResponse(const URLResponse&) override { return true; }
    void connectionDidReceiveData(std::string_view) override {}
    void connectionDidFinishLoading() override {}
    void connectionDidFail(const NSErrorPtr& error) override { code = error->code; }
};

constexpr int kCannotSetUp = 77;

// The low byte of a transfer's error code, run in a child process after a set-up for the whole
// process; kCannotSetUp, or minus the signal that ended the child.
int failureInChild(bool (*setUp)())
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        FailureRecorder recorder;
        if (!setUp())
            ::_exit(kCannotSetUp);
        URLConnection(URLRequest(*NSURL::URLWithString("http://127.0.0.1:9/p"), 2), recorder, {}).run();
        ::_exit(recorder.code & 0xff);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return kCannotSetUp;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status); // a crash fails, never skips
}
} // namespace

TEST(URLLoading, ConnectionsThatCannotStart)
{
    for (int osErrno : {EHOSTUNREACH, ENETDOWN})
        EXPECT_EQ(URLErrors::fromCurl(CURLE_COULDNT_CONNECT, osErrno).first, NSURLError::NotConnectedToInternet);
    // Last: where no private network namespace can be made, the test ends at it.
    const std::pair<bool (*)(), int> rows[] = {
        // The transfer library started again with an allocator that refuses everything.
        {[] {
             curl_global_cleanup();
             return curl_global_init_mem(
                        CURL_GLOBAL_DEFAULT, [](std::size_t) -> void* { return nullptr; }, std::free,
                        [](void*, std::size_t) -> void* { return nullptr; }, [](const char*) -> char* { return nullptr; },
                        [](std::size_t, std::size_t) -> void* { return nullptr; })
                 != CURLE_BAD_FUNCTION_ARGUMENT;
         }, 0},
        // A private network namespace, its loopback down: offline, and nothing leaves it.
        {[] { return ::unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0; }, NSURLError::NotConnectedToInternet},
    };
    for (const auto& [setUp, code] : rows) {
        const int failure = failureInChild(setUp);
        if (failure == kCannotSetUp)
            GTEST_SKIP() << "this machine cannot set the case up";
        EXPECT_EQ(failure, code & 0xff);
    }
}
