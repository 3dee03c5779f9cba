#include "platform/foundation/URLConnection.h"
#include "platform/foundation/URLErrors.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <curl/curl.h>
#include <iterator>
#include <utility>

namespace {
struct FailureRecorder : URLConnectionDelegate {
    int code = 1; // no failure heard
    bool connectionDidReceiveResponse(const URLResponse&) override { return true; }
    void connectionDidReceiveData(std::string_view) override {}
    void connectionDidFinishLoading() override {}
    void connectionDidFail(const NSErrorPtr& error) override { code = error->code; }
};

// The error code of a transfer from url.
int failureOf(const char* url)
{
    FailureRecorder recorder;
    URLConnection(URLRequest(*NSURL::URLWithString(url), 2), recorder, {}).run();
    return recorder.code;
}

// The low byte of the error code of a transfer from url, run in a child process after setUp.
int failureInChild(bool (*setUp)(), const char* url)
{
    return ChildProcess::run(setUp, [url] { return failureOf(url); });
}
} // namespace

TEST(URLLoading, ConnectionsThatCannotStart)
{
    // Offline, every way out fails for want of a network, and a later try may succeed: no route, no
    // source address, no resolver to ask. But a name that no resolver could ever know is not found,
    // offline or not. Run in a fresh copy of this program, which may still make a private network
    // namespace under ThreadSanitizer: the rows that failed, a bit each.
    static const std::pair<const char*, int> offlineRows[] = {
        {"http://127.0.0.1:9/p", NSURLError::NotConnectedToInternet},
        {"http://[fd00::1]:8080/p", NSURLError::NotConnectedToInternet},
        {"http://pictures.floorpad.invalid:8080/p", NSURLError::NotConnectedToInternet},
        {"http://-pictures.invalid:8080/p", NSURLError::CannotFindHost},
    };
    const int offline = ChildProcess::runAfresh(ChildProcess::offline, [] {
        int failed = 0;
        for (std::size_t i = 0; i < std::size(offlineRows); ++i) {
            const auto& [url, code] = offlineRows[i];
            if (const int failure = failureOf(url); failure != code) {
                std::fprintf(stderr, "%s failed with %d, not %d\n", url, failure, code);
                failed |= 1 << i;
            }
        }
        return failed;
    });
    for (int osErrno : {EHOSTUNREACH, ENETDOWN})
        EXPECT_EQ(URLErrors::fromCurl(CURLE_COULDNT_CONNECT, osErrno).first, NSURLError::NotConnectedToInternet);
    const std::tuple<bool (*)(), const char*, int> rows[] = {
        // The transfer library started again with an allocator that refuses everything.
        {[] {
             curl_global_cleanup();
             return curl_global_init_mem(
                        CURL_GLOBAL_DEFAULT, [](std::size_t) -> void* { return nullptr; }, std::free,
                        [](void*, std::size_t) -> void* { return nullptr; }, [](const char*) -> char* { return nullptr; },
                        [](std::size_t, std::size_t) -> void* { return nullptr; })
                 != CURLE_BAD_FUNCTION_ARGUMENT;
         }, "http://127.0.0.1:9/p", 0},
    };
    for (const auto& [setUp, url, code] : rows) {
        const int failure = failureInChild(setUp, url);
        if (failure == ChildProcess::CannotSetUp)
            GTEST_SKIP() << "this machine cannot set the case up";
        EXPECT_EQ(failure, code & 0xff) << url;
    }
    if (offline == ChildProcess::CannotSetUp)
        GTEST_SKIP() << "this machine cannot make a private network namespace";
    EXPECT_EQ(offline, 0) << ChildProcess::meaning(offline, "the offline rows that failed, a bit each from the first");
}
