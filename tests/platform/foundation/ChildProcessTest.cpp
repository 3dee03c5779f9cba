#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>

// A fresh copy counts only once it reached its work: one whose filter matches no test, or whose
// test ends there before the work, exits 0 having checked nothing, and fails.
TEST(ChildProcess, ACopyThatRunsNoTestFails)
{
    const int status = ChildProcess::runAfreshAs("ChildProcess.NoTestHasThisName", [] { return true; }, [] { return 0; });
    EXPECT_EQ(status, ChildProcess::RanNoTest) << ChildProcess::meaning(status, "the work's own code");
}

TEST(ChildProcess, ACopyWhoseTestEndsBeforeItsWorkFails)
{
    if (std::getenv(ChildProcess::AfreshVariable))
        GTEST_SKIP() << "in the copy the test ends here, before its work";
    const int status = ChildProcess::runAfresh([] { return true; }, [] { return 0; });
    EXPECT_EQ(status, ChildProcess::RanNoTest) << ChildProcess::meaning(status, "the work's own code");
}
