#include "RunSummary.h"

#include <gtest/gtest.h>

namespace {

zor::ScriptOutcome outcome(int passed, int failed, bool error = false) {
    zor::ScriptOutcome result;
    result.passed = passed;
    result.failed = failed;
    result.error = error;
    return result;
}

TEST(RunSummaryTest, TheWorstScriptDecidesTheExitStatus) {
    zor::RunSummary passing;
    passing.addScript(outcome(3, 0));
    passing.addScript(outcome(0, 0));
    EXPECT_EQ(passing.exitStatus(), zor::exitPassed);

    zor::RunSummary failing;
    failing.addScript(outcome(3, 1));
    failing.addScript(outcome(2, 0));
    EXPECT_EQ(failing.exitStatus(), zor::exitFailed);

    zor::RunSummary broken;
    broken.addScript(outcome(3, 1));
    broken.addScript(outcome(0, 0, true));
    EXPECT_EQ(broken.exitStatus(), zor::exitError);
}

TEST(RunSummaryTest, SetupErrorsCountEvenWhenEveryTestPassed) {
    zor::RunSummary summary;
    summary.addScript(outcome(1, 0));
    summary.addSetupError();
    EXPECT_EQ(summary.exitStatus(), zor::exitError);
    EXPECT_EQ(summary.text(), "tests: 1, passed: 1, failed: 0, scripts with errors: 0");
}

TEST(RunSummaryTest, TextAddsUpEveryScript) {
    zor::RunSummary summary;
    summary.addScript(outcome(4, 1));
    summary.addScript(outcome(2, 0, true));
    EXPECT_EQ(summary.getTests(), 7);
    EXPECT_EQ(summary.text(), "tests: 7, passed: 6, failed: 1, scripts with errors: 1");
}

}  // namespace
