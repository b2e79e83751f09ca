// Choosing the tests a run runs: -k, --list, --last-failed, --rerun-failed,
// --maxfail and -x.
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
    const std::string header = "# ZorRun last failed 2: SCRIPT<TAB>NAME<TAB>ORDINAL<TAB>LINE\n";
};

// Unselected tests leave no report block; the statements around them still run
// where some test is selected, and a script where none is does not run at all.
// --list runs nothing and touches no file. "not", NAME POSITION and FILE:LINE
// combine.
TEST_F(ZorRunSelectTest, PatternsAndListSelectTheTestsThatRun) {
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
        {{"--list", "-k", "z*t 20", "-k", "loginA 52", "s.txt"}, "s.txt:2: zortst 20\n", 0},
        {{"--list", "-k", "zortst", "-k", "not zortst 20", "s.txt"}, "s.txt:4: zortst 67\n", 0},
        {{"--list", "-k", "not s.txt:2", "-k", "not login*", "s.txt"}, "s.txt:4: zortst 67\n", 0},
        {{"-k", "./s.txt:2", "-k", "login*", "--no-fork", "s.txt"},
         "== s.txt\n" + first + login + summary(1, 1),
         1},
        {{"-k", "nothing", "s.txt", "other.txt"},
         "== s.txt\n    not selected\n== other.txt\n    not selected\n" + summary(0, 0),
         2,
         "no test is selected\n"},
        {{"--filter=zortst 9999", "s.txt"},
         "== s.txt\n" + summary(0, 0, 1),
         2,
         "s.txt: the filter 'zortst 9999' selects no test\n"},
    };
    for (const auto& [args, out, status, err] : cases) {
        SCOPED_TRACE(args[1]);
        write("gone.txt", "");
        std::filesystem::remove(dir.file("out.txt"));
        const auto run = zorRun(args);
        EXPECT_EQ(run.out, out);
        EXPECT_EQ(run.err, err);
        EXPECT_EQ(run.status, status);
        // The library's own filter runs the selected test alone.
        EXPECT_EQ(std::filesystem::exists(dir.file("gone.txt")),
                  args[0] == "--filter" || args[0] == "--list" ||
                      out.starts_with("== s.txt\n    not selected"));
        EXPECT_EQ(std::filesystem::exists(dir.file(".zorrun")), args[0] != "--list");
        EXPECT_EQ(read("out.txt").find("a == 3") != std::string::npos,
                  out.find(third) != std::string::npos);
    }
    // A FILE:LINE whose file is not there is refused before anything runs.
    for (const auto& [pattern, err] :
         {std::pair{"gone.txt:3",
                    "-k 'gone.txt:3': cannot read gone.txt: No such file or directory"},
          std::pair{"not .:3", "-k 'not .:3': . is not a file"},
          std::pair{"s.txt:0", "-k 's.txt:0': lines count from 1"}}) {
        for (const char* file : {"gone.txt", "out.txt"}) std::filesystem::remove(dir.file(file));
        const auto run = zorRun({"-k", pattern, "s.txt"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, std::string(err) + "\n");
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.txt")));
    }
}

// A script in which nothing is selected runs no statement in any kind of run
// and stands as an empty suite in the reports; a script whose error stops its
// outline runs to report it. --last-failed leaves a script without failures
// alone, and what it had recorded stays.
TEST_F(ZorRunSelectTest, ScriptsWithNothingSelectedDoNotRun) {
    write("s.txt", script);
    write("other.txt", other);
    write("broken.txt", "resultfile \"broken_out.txt\"\nzortst { a = }\n");
    for (const std::vector<std::string>& mode :
         {std::vector<std::string>{}, {"--no-fork"}, {"-j", "2"}}) {
        SCOPED_TRACE(mode.empty() ? "workers" : mode[0]);
        write("gone.txt", "");
        std::vector<std::string> args = mode;
        args.insert(args.end(), {"-k", "other.txt:2", "--junit", "report.xml", "--json", "r.json",
                                 "s.txt", "other.txt", "broken.txt"});
        const auto run = zorRun(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "== s.txt\n    not selected\n" + otherPassed + "== broken.txt\n" +
                               summary(1, 0, 1));
        EXPECT_EQ(run.err, "broken.txt:2:14: parse error in line 2 ( }... )\n");
        EXPECT_TRUE(std::filesystem::exists(dir.file("gone.txt")));
        EXPECT_EQ(query("string(//testsuite[@name='s.txt']/@tests)"), "0");
        EXPECT_NE(read("r.json").find("\"notRun\":0,\"notSelected\":true"), std::string::npos);
    }
    write(".zorrun/lastfailed", header + "other.txt\tzortst\t1\t2\n");
    const auto again = zorRun({"--last-failed", "s.txt", "other.txt"});
    EXPECT_EQ(again.out, "== s.txt\n    not selected\n" + otherPassed + summary(1, 0));
    EXPECT_TRUE(std::filesystem::exists(dir.file("gone.txt")));
    EXPECT_EQ(read(".zorrun/lastfailed"), header);
    // A script marked to run whole keeps its mark while it is not selected.
    write(".zorrun/lastfailed", header + "s.txt\t\n");
    EXPECT_EQ(zorRun({"-q", "-k", "other.txt:2", "s.txt", "other.txt"}).out, summary(1, 0));
    EXPECT_EQ(read(".zorrun/lastfailed"), header + "s.txt\t\n");
}

// --maxfail counts failures across scripts and within one, in every kind of
// run, and says at the end what it left unrun; -x is the same limit.
TEST_F(ZorRunSelectTest, MaxfailStopsTheRunAfterThatManyFailures) {
    const std::string head = "resultfile \"out.txt\"\n";
    const std::string fail = "zortst { a = 2 verify: a == 3 }\n";
    const std::string pass = "zortst { a = 1 verify: a == 1 }\n";
    write("two.txt", head + fail + fail + pass);
    write("three.txt", head + fail + fail + fail + "deletefile \"gone.txt\"\n");
    write("pass.txt", head + pass);
    const struct {
        std::vector<std::string> args;
        std::string end;
        bool kept = false;  // three.txt never ran, so its deletefile did not either
    } cases[] = {
        {{"--maxfail", "2", "two.txt", "three.txt", "pass.txt"},
         summary(0, 2) + "stopped after 2 failures: 2 scripts not run\n",
         true},
        {{"--maxfail=3", "--no-fork", "two.txt", "three.txt", "pass.txt"},
         summary(1, 3) + "stopped after 3 failures: 1 script not run\n"},
        {{"--maxfail", "2", "-j", "2", "three.txt"},
         summary(0, 2) + "stopped after 2 failures: 0 scripts not run\n"},
        {{"--maxfail", "9", "-x", "three.txt", "three.txt"},
         summary(0, 1) + "stopped after 1 failure: 1 script not run\n"},
    };
    for (const auto& [args, end, kept] : cases) {
        SCOPED_TRACE(args[1]);
        write("gone.txt", "");
        const auto run = zorRun(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.ends_with(end)) << run.out;
        // The statements after the last test still run.
        EXPECT_EQ(std::filesystem::exists(dir.file("gone.txt")), kept);
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
    auto all = zorRun({"--junit", "report.xml", "s.txt", "other.txt"});
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(read(".zorrun/lastfailed"), header + "s.txt\tloginA\t1\t3\ns.txt\tzortst\t2\t4\n");
    // The failures of ZorRun's JUnit report run again alike, in the scripts
    // it names only: the others are not even opened.
    auto rerun = zorRun({"--rerun-failed", "report.xml", "s.txt", "other.txt", "missing.txt"});
    EXPECT_EQ(rerun.out, "== s.txt\n" + login + third + summary(0, 2));
    EXPECT_EQ(rerun.err, "");
    EXPECT_EQ(rerun.status, 1);

    // A test that did not run keeps its failure; one that passed now loses it.
    auto one = zorRun({"--last-failed", "-k", "zortst", "s.txt"});
    EXPECT_EQ(one.out, "== s.txt\n" + third + summary(0, 1));
    write("s.txt",
          "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n"
          "loginA { a = 1 }\nzortst { a = 2 verify: a == 2 }\n");
    EXPECT_EQ(zorRun({"--last-failed", "s.txt"}).out,
              "== s.txt\n" + login + "zortst 67 (s.txt:4): ok (out.txt)\n" + summary(1, 1));
    EXPECT_EQ(read(".zorrun/lastfailed"), header + "s.txt\tloginA\t1\t3\n");

    // With no failure among the scripts every test runs, as pytest does.
    auto none = zorRun({"--last-failed", "other.txt"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out,
              "no failed tests to run again: running every test\n" + otherPassed + summary(1, 0));
    // A script error outside any test makes the whole script run again.
    write("broken.txt", "zortst { a = }\n");
    EXPECT_EQ(zorRun({"broken.txt"}).status, 2);
    EXPECT_EQ(read(".zorrun/lastfailed"), header + "broken.txt\t\ns.txt\tloginA\t1\t3\n");
}

// A failure recorded in the first format still reads; one that matches
// nothing is said and runs its script whole.
TEST_F(ZorRunSelectTest, RecordedFailuresThatMatchNothingRunTheirScriptWhole) {
    write("s.txt", script);
    std::filesystem::create_directory(dir.file(".zorrun"));
    write(".zorrun/lastfailed",
          "# ZorRun last failed 1: SCRIPT<TAB>NAME POSITION\ns.txt\tzortst 67\ns.txt\tgone 5\n");
    const auto whole = zorRun({"--last-failed", "s.txt"});
    EXPECT_EQ(whole.err,
              "1 recorded failure no longer matches a test in s.txt: running that script whole\n");
    EXPECT_EQ(whole.out, "== s.txt\n" + first + login + third + summary(1, 2));
    EXPECT_EQ(read(".zorrun/lastfailed"), header + "s.txt\tloginA\t1\t3\ns.txt\tzortst\t2\t4\n");
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
