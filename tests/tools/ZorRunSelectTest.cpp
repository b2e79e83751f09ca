// Choosing the tests a run runs: -k, --list, --last-failed, --rerun-failed, -x.
#include <gtest/gtest.h>

#include <filesystem>

#include "LastFailed.h"
#include "TestSelection.h"
#include "ZorRunFixture.h"

namespace {

using zorruntest::summary;

class ZorRunSelectTest : public zorruntest::ZorRunFixture {
protected:
    // Tests on lines 2, 3 and 4; loginA has no test function and fails.
    const std::string script =
        "resultfile \"out.txt\"\n"
        "zortst { a = 1 verify: a == 1 }\n"
        "loginA { a = 1 }\n"
        "zortst { a = 2 verify: a == 3 }\n"
        "deletefile \"gone.txt\"\n";
    const std::string first = "zortst 20 (s.txt:2): ok (out.txt)\n";
    const std::string login =
        "loginA 51 (s.txt:3): FAIL (out.txt)\n    no test function loginA (did you mean --load?)\n";
    const std::string third =
        "zortst 67 (s.txt:4): FAIL (out.txt)\n    expected a == 3, actual 2\n";
    const std::string other = "resultfile \"other_out.txt\"\nzortst { b = 1 verify: b == 1 }\n";
    const std::string otherPassed = "== other.txt\nzortst 26 (other.txt:2): ok (other_out.txt)\n";
};

// Unselected tests leave no report block; the statements around them still run.
// After the first failure of -x no test runs and no report is written, and the
// scripts after it do not run; the statements after it still do. --list runs
// nothing and touches no file.
TEST_F(ZorRunSelectTest, PatternsExitFirstAndListSelectTheTestsThatRun) {
    write("s.txt", script);
    write("other.txt", other);
    write("broken.txt", "zortst { a = 1 }\nzortst { a = }\n");
    const struct {
        std::vector<std::string> args;
        std::string out;
        int status;
        std::string err = "";
    } cases[] = {
        {{"--list", "s.txt", "broken.txt"},
         "s.txt:2: zortst 20\ns.txt:3: loginA 51\ns.txt:4: zortst 67\nbroken.txt:1: zortst 0\n",
         2,
         "broken.txt:2:14: parse error in line 2 ( }... )\n"},
        {{"--list", "-k", "zortst", "s.txt"}, "s.txt:2: zortst 20\ns.txt:4: zortst 67\n", 0},
        // The library's filter rules: the name need only begin the filter.
        {{"--list", "--filter=zortst 67", "s.txt"}, "s.txt:4: zortst 67\n", 0},
        {{"--list", "-k", "s.txt:1", "-k", "s.txt:3", "s.txt"}, "s.txt:3: loginA 51\n", 0},
        {{"-k", "s.txt:4", "s.txt"}, "== s.txt\n" + third + summary(0, 1), 1},
        {{"-k", "./s.txt:2", "-k", "login*", "--no-fork", "s.txt"},
         "== s.txt\n" + first + login + summary(1, 1),
         1},
        // A line is the test's own script's: other.txt:2 takes nothing in s.txt.
        {{"-k", "other.txt:2", "s.txt", "other.txt"},
         "== s.txt\n" + otherPassed + summary(1, 0),
         0},
        {{"-k", "nothing", "s.txt", "other.txt"},
         "== s.txt\n== other.txt\n" + summary(0, 0),
         2,
         "no test is selected\n"},
        {{"--filter=zortst 9999", "s.txt"},
         "== s.txt\n" + summary(0, 0, 1),
         2,
         "s.txt: the filter 'zortst 9999' selects no test\n"},
        {{"-x", "s.txt", "other.txt"}, "== s.txt\n" + first + login + summary(1, 1), 1},
    };
    for (const auto& [args, out, status, err] : cases) {
        SCOPED_TRACE(args[1]);
        write("gone.txt", "");
        std::filesystem::remove(dir.file("out.txt"));
        std::filesystem::remove(dir.file("other_out.txt"));
        const auto run = zorRun(args);
        EXPECT_EQ(run.out, out);
        EXPECT_EQ(run.err, err);
        EXPECT_EQ(run.status, status);
        // The library's own filter runs the selected test alone.
        EXPECT_EQ(std::filesystem::exists(dir.file("gone.txt")),
                  args[0] == "--filter" || args[0] == "--list");
        EXPECT_EQ(std::filesystem::exists(dir.file(".zorrun")), args[0] != "--list");
        EXPECT_EQ(read("out.txt").find("loginA") != std::string::npos,
                  out.find(login) != std::string::npos);
        EXPECT_EQ(read("out.txt").find("a == 3") != std::string::npos,
                  out.find(third) != std::string::npos);
        EXPECT_EQ(read("other_out.txt").find("b == 1") != std::string::npos,
                  out.find(otherPassed) != std::string::npos);
    }
}

// A crashed test is named by the record that ran, not by an earlier one of
// the same name that the selection passed over or a comment holds.
TEST_F(ZorRunSelectTest, CrashNamesTheSelectedRecord) {
    write("crash.txt", "resultfile \"out.txt\"\n// crash { }\ncrash { }\ncrash { }\n");
    for (const auto& [selected, named] : {std::pair{"*", "32"}, std::pair{"crash.txt:4", "41"}}) {
        auto run = zorRun({"--load", ZOR_TEST_MODULE, "-k", selected, "crash.txt"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "crash.txt: test function crashed: SIGSEGV in crash " +
                               std::string(named) + "\n");
    }
}

TEST_F(ZorRunSelectTest, LastFailedAndRerunFailedRunAgainWhatFailed) {
    write("s.txt", script);
    write("other.txt", other);
    const std::string kept = "# ZorRun last failed 2: SCRIPT<TAB>NAME<TAB>ORDINAL<TAB>LINE\n";
    auto all = zorRun({"--junit", "report.xml", "s.txt", "other.txt"});
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(read(".zorrun/lastfailed"), kept + "s.txt\tloginA\t1\t3\ns.txt\tzortst\t2\t4\n");
    // The failures of ZorRun's JUnit report run again alike.
    auto rerun = zorRun({"--rerun-failed", "report.xml", "s.txt", "other.txt"});
    EXPECT_EQ(rerun.out, "== s.txt\n" + login + third + "== other.txt\n" + summary(0, 2));
    EXPECT_EQ(rerun.status, 1);

    // A test that did not run keeps its failure; one that passed now loses it.
    auto one = zorRun({"--last-failed", "-k", "zortst", "s.txt"});
    EXPECT_EQ(one.out, "== s.txt\n" + third + summary(0, 1));
    write("s.txt",
          "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n"
          "loginA { a = 1 }\nzortst { a = 2 verify: a == 2 }\n");
    EXPECT_EQ(zorRun({"--last-failed", "s.txt"}).out,
              "== s.txt\n" + login + "zortst 67 (s.txt:4): ok (out.txt)\n" + summary(1, 1));
    EXPECT_EQ(read(".zorrun/lastfailed"), kept + "s.txt\tloginA\t1\t3\n");

    // With no failure among the scripts every test runs, as pytest does.
    auto none = zorRun({"--last-failed", "other.txt"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out,
              "no failed tests to run again: running every test\n" + otherPassed + summary(1, 0));
    // A script error outside any test makes the whole script run again.
    write("broken.txt", "zortst { a = }\n");
    EXPECT_EQ(zorRun({"broken.txt"}).status, 2);
    EXPECT_EQ(read(".zorrun/lastfailed"), kept + "broken.txt\t\ns.txt\tloginA\t1\t3\n");
}

// Edits above a failed test move it: a test of the same name added before it,
// a comment, a test removed. It is found again by its place among the tests
// of its name, and a failure that matches nothing runs its script whole.
TEST_F(ZorRunSelectTest, RecordedFailuresFollowTheirTestsThroughEdits) {
    const std::string head = "resultfile \"out.txt\"\n";
    const std::string pass = "zortst { a = 1 verify: a == 1 }\n";
    const std::string fail = "zortst { a = 2 verify: a == 3 }\n";
    // A comment, a blank line and a test added above a failed test move it (a
    // failure recorded before the edit is the false-pass check's).
    write("s.txt", head + "// moved\nloginB { a = 1 }\n" + pass + "\n" + fail + pass);
    std::filesystem::create_directory(dir.file(".zorrun"));
    // Past the tests of its name, the nearest line of that name takes it.
    write(".zorrun/lastfailed",
          "# ZorRun last failed 2: SCRIPT<TAB>NAME<TAB>ORDINAL<TAB>LINE\ns.txt\tzortst\t9\t6\n");
    EXPECT_EQ(zorRun({"--last-failed", "s.txt"}).out.find("zortst 75 (s.txt:6): FAIL"), 9u);

    // The first format still reads, by position; what matches nothing is said,
    // runs its script whole, and is forgotten once the script ran cleanly.
    write(".zorrun/lastfailed",
          "# ZorRun last failed 1: SCRIPT<TAB>NAME POSITION\ns.txt\tzortst 75\ns.txt\tgone 5\n"
          "other.txt\tzortst 26\n");
    write("other.txt", other);
    auto whole = zorRun({"--last-failed", "s.txt", "other.txt"});
    EXPECT_EQ(whole.err,
              "1 recorded failure no longer matches a test in s.txt: running that script whole\n");
    EXPECT_EQ(whole.out.find("loginB 28 (s.txt:3): FAIL"), 9u) << whole.out;
    EXPECT_NE(whole.out.find("== other.txt\n" + otherPassed.substr(13)), std::string::npos);
    EXPECT_EQ(read(".zorrun/lastfailed"),
              "# ZorRun last failed 2: SCRIPT<TAB>NAME<TAB>ORDINAL<TAB>LINE\n"
              "s.txt\tloginB\t1\t3\ns.txt\tzortst\t2\t6\n");
    write(".zorrun/lastfailed",
          "# ZorRun last failed 2: SCRIPT<TAB>NAME<TAB>ORDINAL<TAB>LINE\ns.txt\tgone\t1\t1\n"
          "s.txt\tother\t2\t0\n");
    EXPECT_EQ(zorRun({"--last-failed", "s.txt"}).err,
              "2 recorded failures no longer match a test in s.txt: running that script whole\n");
}

// Lines 4 and 6 as near as each other: the nearer position takes the test.
// Exact matches, and the other testcases of a report, take their records
// first, so that two moved tests do not end on one record; an extern record
// is no test.
TEST(TestIdentityTest, MovedTestsFindTheNearestFreeRecord) {
    std::vector<OutlineRecord> records(5);
    const int positions[] = {10, 20, 30, 40, 50}, lines[] = {2, 3, 4, 6, 7};
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i].name = i == 1 ? "b" : "a";
        records[i].position = positions[i];
        records[i].line = lines[i];
    }
    records.back().kind = OutlineRecord::externTest;
    using zorrun::RecordedTest;
    EXPECT_EQ(zorrun::findRecordedTest(records, {"a", 0, 5, 31}), 2);
    EXPECT_EQ(zorrun::findRecordedTests(records, {{"a", 0, 5, 31}, {"a", 2, 0, -1}}),
              (std::vector<int>{3, 2}));
    EXPECT_EQ(zorrun::findRecordedTests(records, {{"a", 0, 5, 31}}, {{"a", 0, 4, 30}}),
              std::vector<int>{3});
    EXPECT_EQ(zorrun::identify(records, 3), (RecordedTest{"a", 3, 6, 40}));
}

// Paths with the separators of the format in them come back whole, and tests
// of scripts that did not run keep their entries.
TEST(LastFailedTest, FailuresKeptInTheFileComeBackAsTheyWere) {
    zortest::TempDir dir;
    const std::string path = dir.file("lastfailed");
    zorrun::RecordedFailures before;
    before["odd\tname\\with\nbreaks.txt"] = {{"login", 2, 57, -1}, {}};
    before["a.txt"] = {{"x.y", 1, 1, -1}};
    zorrun::FailureLog log(before, {});
    std::string reason;
    ASSERT_TRUE(log.save(dir.file("folder"), path, reason)) << reason;
    EXPECT_EQ(zorrun::readLastFailed(path), before);
    // A file of another format holds no failures.
    zortest::writeFile(path, "a.txt\tlogin 57\n");
    EXPECT_TRUE(zorrun::readLastFailed(path).empty());
}

}  // namespace
