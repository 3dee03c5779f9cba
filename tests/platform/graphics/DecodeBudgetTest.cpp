#include "platform/graphics/DecodeBudget.h"

#include "platform/foundation/ProcessExit.h"
#include "platform/graphics/PictureData.h"
#include "platform/graphics/PictureProblem.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/TestPictures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {
// Until check holds, looking again every few milliseconds for at most ten seconds.
bool eventually(const std::function<bool()>& check)
{
    for (int i = 0; i < 2000 && !check(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return check();
}

constexpr int LeftWaiting = 20;
} // namespace

// Many takers at once hold no more than the budget together, and each is let through in turn; one
// alone over the whole budget runs when nothing else is held, and the ones after it wait for it.
TEST(DecodeBudget, TakersAtOnceStayWithinTheBudgetAndALoneOversizedOneRuns)
{
    DecodeBudget budget(100);
    std::atomic<int> done {0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&budget, &done] {
            PictureProblem problem;
            const auto charge = budget.take(40, problem);
            // Held until a second taker holds beside it (or a while has passed), so that takers
            // overlap however slowly the threads run and a third let in at once would show.
            for (int look = 0; look < 100 && budget.held() < 80; ++look)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            done += charge ? 1 : 0;
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(done, 8);
    EXPECT_EQ(budget.highWater(), 80u); // two at once, never a third
    EXPECT_EQ(budget.held(), 0u);

    PictureProblem problem;
    auto small = budget.take(10, problem);
    ASSERT_TRUE(small);
    std::atomic<bool> oversizedRan {false}, laterRan {false};
    std::thread oversized([&] {
        PictureProblem own;
        oversizedRan = budget.take(500, own).has_value();
    });
    ASSERT_TRUE(eventually([&] { return budget.waiting() == 1; }));
    // It would fit beside the small one, but comes after the oversized one, which waits.
    std::thread later([&] {
        PictureProblem own;
        laterRan = budget.take(10, own).has_value();
    });
    ASSERT_TRUE(eventually([&] { return budget.waiting() == 2; }));
    EXPECT_FALSE(oversizedRan);
    small.reset();
    oversized.join();
    later.join();
    EXPECT_TRUE(oversizedRan);
    EXPECT_TRUE(laterRan);
    EXPECT_EQ(budget.highWater(), 500u);
}

// Whether a decode on another thread waits while all but room of the shared budget is held, and
// decodes once it is let go. The main thread's own decode is refused at once then.
bool waitsBeside(const std::string& bytes, std::size_t room)
{
    DecodeBudget& budget = DecodeBudget::shared();
    PictureProblem held;
    auto charge = budget.take(budget.limit() - room, held);
    PictureProblem onMain;
    const bool mainRefused = !PictureData::decode(bytes, 1, onMain) && onMain.kind() == PictureProblem::Kind::NotNow;
    std::atomic<bool> decoded {false};
    std::thread worker([&] {
        PictureProblem problem;
        decoded = PictureData::decode(bytes, 1, problem) != nullptr;
    });
    const bool waited = eventually([&] { return budget.waiting() == 1 || decoded; }) && !decoded;
    charge.reset();
    worker.join();
    return decoded && waited && mainRefused;
}

// Every decoder is charged before it makes its picture, at the most it can hold: while the budget
// is held whole, a decode on another thread waits its turn, and the main thread's is refused. A
// lossless WebP counts the tables of every group of prefix codes it could name (16,384 for 512 x
// 512), far more than its pixels.
TEST(DecodeBudget, EveryKindOfPictureWaitsItsTurnAndTheMainThreadNever)
{
    for (const char* name : {"photo.jpg", "progressive.jpg", "interlaced.png", "still.gif", "picture.webp", "alpha.webp"})
        EXPECT_TRUE(waitsBeside(testPicture(name), 0)) << name;
    const std::size_t room = std::size_t {64} << 20;
    EXPECT_TRUE(waitsBeside(HostilePictures::losslessWebp(512, 512, 1), room));
    PictureProblem problem;
    auto charge = DecodeBudget::shared().take(DecodeBudget::shared().limit() - room, problem);
    EXPECT_TRUE(PictureData::decode(halvesJpeg(512, 512, true), 1, problem)) << problem.describe();
    EXPECT_EQ(DecodeBudget::shared().waiting(), 0u);
}

// A decode waiting its turn as the program ends is refused, and the thread that waits ends: the
// program's end joins it before the budget's own end work has run (the last work added runs first).
TEST(DecodeBudget, AWaitEndsWithTheProgram)
{
    if (!ChildProcess::ThreadsStartAfterAForkWithThreads && ChildProcess::threadCount() > 1)
        GTEST_SKIP() << "ThreadSanitizer stops a child of a process with threads that starts one";
    std::fflush(nullptr);
    const int status = ChildProcess::runAfresh([] { return true; }, []() -> int {
        static PictureProblem held;
        static auto whole = DecodeBudget::shared().take(DecodeBudget::DefaultBytes, held);
        static std::atomic<bool> refused {false};
        static std::thread worker([] {
            PictureProblem problem;
            refused = !PictureData::decode(testPicture("photo.jpg"), 1, problem)
                && problem.kind() == PictureProblem::Kind::NotNow;
        });
        if (!eventually([] { return DecodeBudget::shared().waiting() == 1; }))
            return LeftWaiting;
        if (!ProcessExit::add([] { worker.join(); }))
            return ChildProcess::CannotSetUp;
        static const struct Check {
            ~Check() { ::_exit(refused ? 0 : LeftWaiting); }
        } check;
        std::exit(0);
    }, 20);
    EXPECT_EQ(status, 0) << ChildProcess::meaning(status, "the waiting decode was not refused");
}
