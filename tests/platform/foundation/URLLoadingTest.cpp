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

constexpr int kCannotSetUp = 2;

// The error code of a transfer to a loopback port, run in a child process after the set-up,
// which changes what the whole process has; kCannotSetUp where the set-up is refused here.
int failureInChild(bool (*setUp)())
{
    int out[2];
    if (::pipe(out) != 0)
        return kCannotSetUp;
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = kCannotSetUp;
        if (setUp()) {
            FailureRecorder recorder;
            URLConnection(URLRequest(*NSURL::URLWithString("http://127.0.0.1:9/p"), 2), recorder, {}).run();
            code = recorder.code;
        }
        [[maybe_unused]] const auto written = ::write(out[1], &code, sizeof code);
        ::_exit(0);
    }
    ::close(out[1]);
    int code = kCannotSetUp;
    if (pid < 0 || ::read(out[0], &code, sizeof code) != sizeof code)
        code = kCannotSetUp;
    ::close(out[0]);
    ::waitpid(pid, nullptr, 0);
    return code;
}

// A private network namespace, whose loopback is down: nothing can leave it.
bool offline()
{
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0;
}

// The transfer library starts again with an allocator that refuses everything.
bool noMemoryForTransfers()
{
    curl_global_cleanup();
    curl_global_init_mem(
        CURL_GLOBAL_DEFAULT, [](size_t) -> void* { return nullptr; }, [](void* p) { std::free(p); },
        [](void*, size_t) -> void* { return nullptr; }, [](const char*) -> char* { return nullptr; },
        [](size_t, size_t) -> void* { return nullptr; });
    return true;
}
} // namespace

// With no network a transfer fails as offline (a later try may find one), without the memory
// for its handles as not initialised.
TEST(URLLoading, ConnectionsThatCannotStart)
{
    for (const auto& [setUp, code] : {std::pair {&offline, NSURLError::NotConnectedToInternet}, {&noMemoryForTransfers, 0}}) {
        const int failure = failureInChild(setUp);
        if (failure == kCannotSetUp)
            GTEST_SKIP() << "no private network namespace here";
        EXPECT_EQ(failure, code);
    }
    for (int osErrno : {EHOSTUNREACH, ENETDOWN})
        EXPECT_EQ(URLErrors::fromCurl(CURLE_COULDNT_CONNECT, osErrno).first, NSURLError::NotConnectedToInternet);
}
