// Inputs that would keep ZorRun from ending, or that would speak in its name:
// scripts that never end, output of test functions (which goes with the test
// that printed it), names with control characters, report files it reads back
// and the folder it keeps its failures in. Each through the real ZorRun.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ZorRunFixture.h"

namespace {

namespace fs = std::filesystem;

class ZorRunHostileInputTest : public zorruntest::ZorRunFixture {
protected:
    zorruntest::ChildResult local(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--load", ZOR_MISBEHAVING_MODULE, "--load", ZOR_TEST_MODULE});
        return zorRun(args);
    }
    // Waits (boundedly) for a file a test function creates as it starts.
    bool waitForFile(const std::string& name) const {
        for (int i = 0; i < 1000 && !fs::exists(dir.file(name)); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return fs::exists(dir.file(name));
    }
};

const std::string passing = "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n";

}  // namespace

// A FIFO would wait for a writer, /dev/zero would be read without end and a
// file past the limit would fill memory: each is refused before any script
// is read or run, in a run of one job, of two and in --list. A folder stays
// that script's own error.
TEST_F(ZorRunHostileInputTest, ScriptsThatNeverEndAreRefusedBeforeAnythingRuns) {
    write("pass.txt", passing);
    ASSERT_EQ(mkfifo(dir.file("fifo.txt").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir.file("zero.txt"));
    write("huge.txt", passing);
    fs::resize_file(dir.file("huge.txt"), (64u << 20) + 1);
    const std::pair<std::string, std::string> scripts[] = {
        {"fifo.txt", "is a FIFO, not a regular file"},
        {"zero.txt", "is a character device, not a regular file"},
        {"huge.txt", "too large (67108865 bytes; the limit is 67108864)"}};
    const std::vector<std::string> modes[] = {{}, {"-j", "2"}, {"--list"}};
    for (const auto& [script, problem] : scripts) {
        for (const auto& mode : modes) {
            SCOPED_TRACE(script + (mode.empty() ? "" : " " + mode[0]));
            std::vector<std::string> args = mode;
            args.insert(args.end(), {"pass.txt", script});
            const auto run = local(args);
            EXPECT_EQ(run.status, 2);
            EXPECT_EQ(run.err, script + ": cannot run script: " + problem + "\n");
            EXPECT_FALSE(fs::exists(dir.file("out.txt")));
        }
    }
    fs::create_directory(dir.file("folder.txt"));
    const auto run = local({"-j", "2", "pass.txt", "folder.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "ZorRun: folder.txt: no script matches *.zor.txt\n");
}

// Two workers that print without end and ignore SIGTERM: a stop still ends
// the run, with a JUnit report that reads and names both as interrupted.
TEST_F(ZorRunHostileInputTest, StopSignalEndsWorkersThatFloodTheirOutput) {
    write("flood1.txt", "resultfile \"out1.txt\"\nflood { }\n");
    write("flood2.txt", "resultfile \"out2.txt\"\nflood { }\n");
    zorruntest::PipedChild child({ZORRUN_PATH, "--load", ZOR_MISBEHAVING_MODULE, "-j", "2",
                                  "--junit", "report.xml", "flood1.txt", "flood2.txt"},
                                 dir.path().string());
    ASSERT_TRUE(waitForFile("flooding.mark"));
    child.sendSignal(SIGTERM);
    const auto run = child.finish();
    EXPECT_EQ(run.status, 143) << run.err;
    EXPECT_NE(run.err.find("flood1.txt: interrupted by SIGTERM inside flood 21\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(xmllint("--noout"), "");
    EXPECT_EQ(query("count(//testcase[@name='interrupted'])"), "2");
    // What a worker printed is kept up to its bound, never without end, and
    // the console shows less than that.
    EXPECT_NE(run.out.find(" more bytes not shown]\n"), std::string::npos);
    EXPECT_LT(run.out.size(), 400'000u);
    const std::string report = read("report.xml");
    EXPECT_NE(report.find("y\n[output cut after 1048576 bytes]\n</system-out>"), std::string::npos);
    EXPECT_LT(report.size(), 2'200'000u);
}

// A test function's own output and a script's name cannot make a line that
// reads as ZorRun's, nor reach the terminal as control characters; the
// output still reaches the user, on the console and in the report (the other
// reports' escapes are their texts' own tests).
TEST_F(ZorRunHostileInputTest, NamesAndTestOutputReachTheConsoleTerminalSafe) {
    const std::string script = "esc\x1b[31m\xc3\xa9.txt";
    write(script, "resultfile \"out.txt\"\nforgeSummary { verify: forged == 1 }\n");
    const auto run = local({"--junit", "report.xml", script});
    const std::string shown = "esc\\x1b[31m\xc3\xa9.txt";
    EXPECT_EQ(run.out.find("\ntests: 99"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << run.out;
    EXPECT_TRUE(
        run.out.starts_with("== " + shown + "\nforgeSummary 20 (" + shown +
                            ":2): FAIL (out.txt)\n    expected forged == 1, actual undefined\n"
                            "    captured output:\n"
                            "    | tests: 99, passed: 99, failed: 0, errors: 0, not run: 0, "
                            "scripts with errors: 0\n"
                            "    | \\x1b[2Jcleared\n"))
        << run.out;
    EXPECT_TRUE(run.out.ends_with(zorruntest::summary(0, 1))) << run.out;
    EXPECT_EQ(query("string(//testcase/system-out)"),
              "tests: 99, passed: 99, failed: 0, errors: 0, not run: 0, scripts with errors: "
              "0\n\xe2\x90\x9b[2Jcleared\n");
    // -s hands the console to the test functions, as a debugging session asks.
    const auto passed = local({"-s", script});
    EXPECT_NE(passed.out.find("tests: 99, passed: 99"), std::string::npos) << passed.out;
    EXPECT_EQ(passed.out.find("captured output"), std::string::npos) << passed.out;
}

// Output printed line by line goes with the test that printed it, with two
// workers printing at once, and is kept up to the moment a test crashes.
TEST_F(ZorRunHostileInputTest, EachTestsOutputGoesWithItsVerdict) {
    write("a.zor.txt",
          "resultfile \"a.out\"\nsay { out = \"first passes\" }\n"
          "say { out = \"first fails\" err = \"on stderr\" verify: missing == 1 }\n");
    write("crash.zor.txt", "resultfile \"out.txt\"\nsayThenCrash { }\n");
    const auto run = local({"-j", "2", "--junit", "report.xml", "a.zor.txt", "crash.zor.txt"});
    EXPECT_EQ(run.status, 2) << run.err;
    // Only a failed test's output is shown, right under its lines.
    EXPECT_NE(run.out.find("say 46 (a.zor.txt:3): FAIL (a.out)\n"
                           "    expected missing == 1, actual undefined\n"
                           "    captured output:\n    | first fails\n    | on stderr\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("sayThenCrash 20 (crash.zor.txt:2): ERROR test function crashed: "
                           "SIGSEGV\n    captured output:\n    | going down\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("passes"), std::string::npos) << run.out;
    EXPECT_EQ(query("concat(//testcase[1]/system-out, '|', //testcase[2]/system-out, '|', "
                    "//testsuite[2]/testcase/system-out)"),
              "first passes\n|first fails\non stderr\n|going down\n");
}

// 60,000 testcases left open once took minutes to read; now the parser reads
// them in one pass and refuses the file as not well-formed (ZorRun's own
// reports are read back in the selection's tests).
TEST_F(ZorRunHostileInputTest, RerunFailedReadsJUnitFilesInOnePass) {
    std::string open =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n"
        "<testsuite name=\"a.txt\">\n";
    for (int i = 0; i < 60'000; ++i)
        open += "<testcase classname=\"a.txt\" name=\"zortst " + std::to_string(i) + "\">\n";
    write("open.xml", open);
    write("a.txt", passing);
    const auto run = local({"--rerun-failed", "open.xml", "a.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.starts_with("open.xml: cannot rerun failed tests: not well-formed XML: "))
        << run.err;
}

// A .zorrun that is a symbolic link is not written through, and the run says
// why.
TEST_F(ZorRunHostileInputTest, FailuresAreKeptOnlyInARealFolder) {
    write("fail.txt", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 2 }\n");
    fs::create_directory(dir.file("elsewhere"));
    fs::create_directory_symlink("elsewhere", dir.file(".zorrun"));
    const auto run = local({"fail.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              ".zorrun/lastfailed: cannot keep the failed tests: .zorrun is a symbolic link, not "
              "a folder\n");
    EXPECT_TRUE(fs::is_empty(dir.file("elsewhere")));
}
