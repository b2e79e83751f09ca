// Batch runs: what the user is told and the exit status.
#include <gtest/gtest.h>

#include "BatchRun.h"

using namespace viewer;

namespace {

class ResultLibrary : public LibraryAccess {
public:
    bool hasRegistry() const override { return true; }
    void setTrace(const TraceSettings&) override { traced = true; }
    RunResult parse(const std::string&, const std::string& filter) override {
        seenFilter = filter;
        return result;
    }
    void setLastOutFile(const std::string&) override {}
    std::string lastOutFile() const override { return {}; }

    RunResult result;
    std::string seenFilter = "none";
    bool traced = false;
};

}  // namespace

TEST(BatchRunTest, ArgumentsJoinedBySpacesNameTheScript) {
    const char* argv[] = {"ZorViewer", "my", "script.txt"};
    EXPECT_EQ(batchInputName(3, argv), "my script.txt");
    EXPECT_EQ(batchInputName(1, argv), "");
}

TEST(BatchRunTest, PassingRunSaysNothingAndSetsNoTrace) {
    ResultLibrary library;
    const BatchOutcome outcome = runBatch(library, "s.txt");
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(library.seenFilter, "");
    EXPECT_FALSE(library.traced);
}

TEST(BatchRunTest, FailedVerificationExitsWithOne) {
    ResultLibrary library;
    library.result.code = -4;
    EXPECT_EQ(runBatch(library, "s.txt").status, 1);
}

TEST(BatchRunTest, UnreadableScriptAndMissingOutputFileAreReported) {
    ResultLibrary library;
    library.result.code = -2;
    BatchOutcome outcome = runBatch(library, "s.txt");
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0], "invalid input file: s.txt\n");
    EXPECT_EQ(outcome.status, 2);

    library.result.code = -3;
    outcome = runBatch(library, "s.txt");
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0], "no outputfile defined");
    EXPECT_EQ(outcome.status, 2);
}

TEST(BatchRunTest, ScriptErrorShowsItsText) {
    ResultLibrary library;
    library.result.code = 4;
    library.result.errLine = 4;
    library.result.errText = "syntax error in line 4\n";
    const BatchOutcome outcome = runBatch(library, "s.txt");
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0], "syntax error in line 4\n");
    EXPECT_EQ(outcome.status, 2);
}
