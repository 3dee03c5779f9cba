#include "platform/graphics/PixelLimits.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProcessCounters.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool UnderSanitizer = true;
#else
constexpr bool UnderSanitizer = false;
#endif

struct Ended {
    int status; // -1 when it did not exit
    std::string said;
    std::uint64_t bytesRead;
    std::uint64_t peakResidentBytes;
};

// Runs the program in folder with --camera camera, ended after a minute at most, with the
// environment given added to the test's own, and a limit in bytes on the data it may map when
// given. What it read is taken from the ended process before it is reaped.
Ended runWithCamera(const fs::path& folder, const std::string& camera, std::vector<std::string> environment = {},
                    rlim_t dataLimit = RLIM_INFINITY)
{
    std::vector<char*> variables;
    const auto given = [&](std::string_view variable) {
        const auto name = variable.substr(0, variable.find('=') + 1);
        return std::any_of(environment.begin(), environment.end(), [&](const auto& v) { return v.starts_with(name); });
    };
    for (char** variable = environ; *variable; ++variable) {
        if (!given(*variable))
            variables.push_back(*variable);
    }
    for (auto& variable : environment)
        variables.push_back(variable.data());
    variables.push_back(nullptr);
    const std::string messages = (folder / "messages").string();
    const char* arguments[] = {FLOORPAD_PROGRAM, "--data-dir", "data", "--seconds", "0.3", "--camera", camera.c_str(), nullptr};
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(messages.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const rlimit limit {dataLimit, dataLimit};
        if (out < 0 || ::chdir(folder.c_str()) != 0 || ::dup2(out, 2) != 2 || ::setrlimit(RLIMIT_DATA, &limit) != 0)
            ::_exit(ChildProcess::CannotSetUp);
        ::alarm(60);
        ::execve(arguments[0], const_cast<char* const*>(arguments), variables.data());
        ::_exit(127);
    }
    siginfo_t info {};
    ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
    const std::uint64_t read = ProcessCounters::bytesRead(std::to_string(pid));
    int status = 0;
    rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(messages).value_or(""), read,
            static_cast<std::uint64_t>(usage.ru_maxrss) * 1024};
}
} // namespace

// A file over the limit is refused from the size it says as it is opened, without a byte of it
// read (the program itself reads some hundreds of kilobytes as it starts).
TEST(CameraOption, AFileOverTheLimitIsRefusedUnread)
{
    ScopedDataFolder scratch;
    ASSERT_TRUE(std::ofstream(scratch.path() / "big.png"));
    fs::resize_file(scratch.path() / "big.png", PixelLimits::MaxFileBytes + 1);
    const auto run = runWithCamera(scratch.path(), "big.png");
    EXPECT_EQ(run.status, 2) << run.said;
    EXPECT_NE(run.said.find("camera: big.png is too large to be a picture ("), std::string::npos) << run.said;
    EXPECT_LT(run.bytesRead, 16u << 20);
    EXPECT_FALSE(fs::exists(scratch.path() / "data"));
}

// /proc/self/pagemap says it is empty and holds far more than any picture: it is refused once a
// byte past the limit is in, the run never holding more than the limit on the way (a buffer grown
// by doubling would take twice it). The sanitizers' shadow of what is written counts in the peak:
// ThreadSanitizer's is four times the bytes.
TEST(CameraOption, AFileThatHoldsMoreThanItSaidIsRefusedWithinTheLimit)
{
    constexpr std::uint64_t MB = 1 << 20, shadowed = ChildProcess::UnderThreadSanitizer ? 5 : 1;
    ScopedDataFolder scratch;
    const auto run = runWithCamera(scratch.path(), "/proc/self/pagemap");
    EXPECT_EQ(run.status, 2) << run.said;
    EXPECT_NE(run.said.find("camera: /proc/self/pagemap is too large to be a picture (more than 553648128 bytes; no "
                            "picture read is over 553648128 bytes), left out"),
              std::string::npos)
        << run.said;
    EXPECT_LT(run.peakResidentBytes, (PixelLimits::MaxFileBytes + 320 * MB) * shadowed) << run.peakResidentBytes / MB << " MB";
}

// A picture the decoder finds no memory for is refused saying so, and the run ends with status 2,
// never with the process killed. The memory is refused by the sanitizers' allocators when the
// program runs under them (an address-space limit would refuse their shadow), else by a limit on
// the data the program may map; either way no single allocation of 128 MiB is granted, and a
// progressive JPEG of 8192 × 8192 keeps its coefficients in one of those.
TEST(CameraOption, APictureWithoutMemoryToDecodeItIsRefused)
{
    ScopedDataFolder scratch;
    ASSERT_TRUE(std::ofstream(scratch.path() / "large.jpg", std::ios::binary) << halvesJpeg(8192, 8192, true));
    const std::string refuse = "allocator_may_return_null=1:max_allocation_size_mb=64";
    const auto options = [&](const char* name) {
        const char* given = std::getenv(name);
        return std::string(name) + "=" + (given && *given ? std::string(given) + ":" : "") + refuse;
    };
    const auto run = UnderSanitizer
        ? runWithCamera(scratch.path(), "large.jpg", {options("ASAN_OPTIONS"), options("TSAN_OPTIONS")})
        : runWithCamera(scratch.path(), "large.jpg", {}, 128u << 20);
    EXPECT_EQ(run.status, 2) << run.said;
    EXPECT_NE(run.said.find("camera: large.jpg cannot be decoded: not enough memory, left out"), std::string::npos)
        << run.said;
}
