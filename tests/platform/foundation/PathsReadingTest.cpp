#include "platform/foundation/Paths.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProcessCounters.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {
struct Read {
    std::optional<std::string> bytes;
    int error;
};

// Read whole, or within limit.
Read readWithError(const std::filesystem::path& path, std::optional<std::size_t> limit = std::nullopt)
{
    errno = 0;
    auto bytes = limit ? readFile(path, *limit) : readFile(path);
    return {std::move(bytes), errno};
}
} // namespace

// A file of exactly the limit is read whole and one of a byte more refused, whatever its size said
// as it was opened: /proc's files say they are empty and hold more, as a file growing while read
// would.
TEST(Paths, AReadWithALimitStopsOneBytePastIt)
{
    ScopedDataFolder scratch;
    const auto file = scratch.path() / "four";
    ASSERT_TRUE(std::ofstream(file) << "abcd");
    EXPECT_EQ(readFile(file, 4), "abcd");
    const auto status = readFile("/proc/self/status");
    ASSERT_TRUE(status && status->size() > 64);
    for (const auto& [path, limit] : {std::pair<std::filesystem::path, std::size_t>(file, 3), {"/proc/self/status", 64}}) {
        const auto read = readWithError(path, limit);
        EXPECT_FALSE(read.bytes) << path;
        EXPECT_EQ(read.error, EFBIG) << path;
    }
    EXPECT_EQ(readWithError(scratch.path() / "missing", 4).error, ENOENT);
}

// A file larger than the limit is refused as it is opened, before a byte of it is read: a sparse
// file a byte over a large limit costs the read no memory.
TEST(Paths, AFileOverTheLimitIsRefusedBeforeAnyOfItIsRead)
{
    constexpr std::uint64_t MB = 1 << 20, limit = 256 * MB;
    ScopedDataFolder scratch;
    const auto file = scratch.path() / "sparse";
    ASSERT_TRUE(std::ofstream(file));
    std::filesystem::resize_file(file, limit + 1);
    ASSERT_TRUE(ProcessCounters::resetPeakResident());
    const std::uint64_t before = ProcessCounters::peakResidentBytes();
    const auto read = readWithError(file, limit);
    EXPECT_FALSE(read.bytes);
    EXPECT_EQ(read.error, EFBIG);
    EXPECT_LT(ProcessCounters::peakResidentBytes() - before, 8 * MB);
}

// Only a regular file is read, at once: a named pipe whose writer left bytes in it and went would
// give them as the file's, and /dev/zero would be read until memory ran out.
TEST(Paths, ReadsNothingButARegularFileAndNeverWaits)
{
    ScopedDataFolder scratch;
    const auto pipe = scratch.path() / "picture.png";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // The bytes stay in the pipe for as long as a reader holds it.
    const UniqueFd holder(::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    {
        const UniqueFd writer(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        ASSERT_EQ(::write(writer.get(), "bytes", 5), 5);
    }
    auto reading = std::async(std::launch::async, [&] {
        return std::pair(readWithError(pipe), readWithError("/dev/zero", 1024 * 1024));
    });
    const bool waited = reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
    if (waited) {
        // A writer come and gone lets a reader waiting to open the pipe end.
        ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    }
    EXPECT_FALSE(waited) << "the read waited";
    const auto [fromPipe, fromZero] = reading.get();
    EXPECT_FALSE(fromPipe.bytes);
    EXPECT_EQ(fromPipe.error, EINVAL);
    EXPECT_FALSE(fromZero.bytes);
    EXPECT_EQ(fromZero.error, EINVAL) << "/dev/zero was read";
}

// A file that holds more than it said, as /proc's pagemap does (it says it is empty and holds eight
// bytes for every page of the address space), is refused once a byte past the limit is in, and the
// read never held more than the limit: a buffer grown by doubling would copy half of it into one of
// twice its size on the way. ThreadSanitizer shadows every byte written with four more.
TEST(Paths, AReadThatFindsMoreThanItSaidNeverHoldsMoreThanTheLimit)
{
    constexpr std::uint64_t MB = 1 << 20, limit = 40 * MB + 8, slack = 12 * MB;
    constexpr std::uint64_t shadowed = ChildProcess::UnderThreadSanitizer ? 5 : 1;
    ASSERT_TRUE(ProcessCounters::resetPeakResident());
    const std::uint64_t before = ProcessCounters::peakResidentBytes();
    const auto read = readWithError("/proc/self/pagemap", limit);
    const std::uint64_t grown = ProcessCounters::peakResidentBytes() - before;
    EXPECT_FALSE(read.bytes);
    EXPECT_EQ(read.error, EFBIG);
    EXPECT_LT(grown, (limit + slack) * shadowed) << grown / MB << " MB";
}
