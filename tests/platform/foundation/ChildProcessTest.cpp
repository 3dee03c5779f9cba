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
    // In the copy the test ends here, before its work, and passes: a skip the copy printed would
    // read to the test runner as this test's own.
    if (std::getenv(ChildProcess::AfreshVariable))
        return;
    const int status = ChildProcess::runAfresh([] { return true; }, [] { return 0; });
    EXPECT_EQ(status, ChildProcess::RanNoTest) << ChildProcess::meaning(status, "the work's own code");
}
