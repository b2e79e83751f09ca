#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>

#include "ZorRunFixture.h"

namespace {

using zorruntest::summary;

// The lock file of the library's hosts that serialise machine-wide.
constexpr const char* lockFile = "/tmp/ZorSem.lock";

class ZorRunTest : public zorruntest::ZorRunFixture {
protected:
    const std::string passing =
        "resultfile \"out.txt\"\n"
        "zortst { a = 1 verify: a == 1 }\n"
        "zortst { b = \"x\" verify: b != \"y\" }\n";
};

// Past 20 failed entries the console counts the rest, not drops them; a script
// that cannot be read is named, and a string the scanner could not close gets
// its note at the error's column, which line ends of either kind leave alike.
// (That each script is judged by its own tests, however the one before it
// ended, is the reports' agreement check's.)
TEST_F(ZorRunTest, TheConsoleCountsWhatItLeavesOutAndNotesScannerErrors) {
    std::string values, checks, entries;
    for (char name = 'a'; name <= 'w'; ++name) {
        values += std::string(1, name) + " = 1 ";
        checks += std::string(" ") + name + " == 2";
        if (name <= 't') entries += std::string("    expected ") + name + " == 2, actual 1\n";
    }
    write("s.txt", "resultfile \"out.txt\"\nzortst { " + values + "verify:" + checks + " }\n");
    write("bad.txt", "resultfile \"bad_out.txt\"\r\nzortst { s = \"caf\xc3\xa9\" }\r\n");
    const auto run = zorRun({"s.txt", "missing.txt", "bad.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "== s.txt\nzortst 20 (s.txt:2): FAIL (out.txt)\n" + entries +
                           "    ... and 3 more\n== missing.txt\n== bad.txt\n" + summary(0, 1, 2));
    EXPECT_EQ(run.err,
              "missing.txt: cannot open script: No such file or directory\n"
              "bad.txt:2:14: parse error in line 2 ( \"... )\n"
              "bad.txt:2:14: note: strings hold printable ASCII characters except \" and `\n");
}

// Bad options, reports that cannot be drafted or would replace a script or
// the output lock file, and failed-test lists that are not ZorRun's own stop
// the run before any script runs; no draft is left behind.
TEST_F(ZorRunTest, BadArgumentsAndReportFilesAreRefusedBeforeAnythingRuns) {
    write("s.txt", passing);
    ASSERT_EQ(link(dir.file("s.txt").c_str(), dir.file("link.txt").c_str()), 0);
    // The lock file of the library's hosts that serialise machine-wide: a
    // report there would leave the machine's writers on a file nobody opens.
    ASSERT_EQ(symlink("/tmp/ZorSem.lock", dir.file("lock").c_str()), 0);
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    write("foreign.xml",
          "<?xml version=\"1.0\"?>\n<testsuites><testsuite name=\"s\">"
          "<testcase classname=\"pkg.Class\" name=\"t\"/></testsuite></testsuites>\n");
    const std::string junit = ": cannot write JUnit report: ",
                      html = ": cannot write HTML report: ",
                      rerun = ": cannot rerun failed tests: ";
    const std::string isScript = "it is one of the scripts",
                      isLock = "it is the output lock file /tmp/ZorSem.lock";
    const std::string notOurs = "not a JUnit report written by ZorRun";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "ZorRun: no script given"},
        {{"--filter", std::string(256, 'f')}, "ZorRun: --filter takes at most 255 characters"},
        {{"-j", "0"}, "ZorRun: --jobs expects a number from 1 to 64 or auto, not '0'"},
        {{"--no-fork", "--timeout", "5"},
         "ZorRun: --jobs and --timeout need workers: they cannot be used with --no-fork"},
        {{"--junit", "link.txt"}, "link.txt" + junit + isScript},
        {{"--junit", "/tmp/./ZorSem.lock"}, "/tmp/./ZorSem.lock" + junit + isLock},
        {{"--json", "lock"}, "lock: cannot write JSON report: " + isLock},
        {{"--html", "fifo"}, "fifo" + html + "it is not a regular file"},
        {{"--rerun-failed", "foreign.xml"}, "foreign.xml" + rerun + notOurs},
    };
    for (auto [args, err] : cases) {
        SCOPED_TRACE(err);
        if (!args.empty()) args.push_back("s.txt");
        auto run = zorRun(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        // A usage error says where to read about the options; a refused file
        // is named alone.
        EXPECT_EQ(run.err, err + (err.starts_with("ZorRun: ")
                                      ? "\nTry 'ZorRun --help' for more information.\n"
                                      : "\n"));
    }
    EXPECT_EQ(read("s.txt"), passing);
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"fifo", "foreign.xml", "link.txt", "lock", "s.txt"}));
}

// A size limit stops the output file after a few blocks: every later test
// fails, the reason is named once, and the run is broken rather than failed.
// The JUnit draft cannot grow past the limit either, so it never takes the
// former report's place.
TEST_F(ZorRunTest, ReportsThatCannotBeWrittenFailTheRun) {
    std::string script = "resultfile \"out.txt\"\n";
    for (int i = 0; i < 200; ++i) script += "zortst { a = 1 verify: a == 1 }\n";
    write("many.txt", script);
    for (const std::string mode : {"--quiet", "--no-fork"}) {
        std::filesystem::remove(dir.file("out.txt"));
        write("report.xml", "the former report");
        auto run = zorRun({mode, "--junit", "report.xml", "many.txt"}, 4096);
        EXPECT_EQ(run.status, 2) << mode;
        EXPECT_TRUE(run.err.starts_with("cannot write the report to out.txt: File too large\n"))
            << run.err;
        EXPECT_EQ(run.err.find("cannot write the report", 1), std::string::npos) << run.err;
        EXPECT_TRUE(run.err.ends_with("report.xml: JUnit report incomplete: a write failed\n"))
            << run.err;
        EXPECT_NE(run.out.find("zortst 6189 (many.txt:201): ERROR cannot write the report to "
                               "out.txt: File too large\n"),
                  std::string::npos);
        EXPECT_EQ(read("report.xml"), "the former report");
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            EXPECT_FALSE(entry.path().filename().string().starts_with("report.xml."))
                << entry.path();
    }
}

// A process outside the run keeps writing the output file: after the notice
// time ZorRun names it, and --timeout ends the test that waits for it.
TEST_F(ZorRunTest, AWriterOutsideTheRunIsNamedAndTimedOut) {
    write("t.txt", passing);
    write("out.txt", "");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        const int fd = open(dir.file("out.txt").c_str(), O_WRONLY);
        if (fd < 0 || flock(fd, LOCK_EX) != 0 || ::write(ready[1], "r", 1) != 1) _exit(3);
        alarm(60);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    const auto run = zorRun({"--timeout", "3", "t.txt"});
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("ZorRun: waiting for out.txt, which pid " + std::to_string(holder) +
                           " is writing\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("ERROR timed out after 3 s"), std::string::npos) << run.out;
}

// A result file in the lock file would leave the machine's writers on a file
// nobody else opens (reports there are refused with the bad arguments).
TEST_F(ZorRunTest, AResultFileInTheLockFileIsRefused) {
    write("bad.txt", "resultfile \"" + std::string(lockFile) + "\"\nzortst { }\n");
    const auto run = zorRun({"bad.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(
        run.err.find("no output file " + std::string(lockFile) + ": it is the output lock file"),
        std::string::npos)
        << run.err;
}

class ZorRunJobsTest : public zorruntest::ZorRunFixture {
protected:
    // Scripts whose output files are shared in several ways: by name, by
    // other spellings of it, by a name made of parts, and not at all. Scripts
    // that share a file and ran at once would interleave their blocks in it.
    std::vector<std::string> mixedScripts() {
        const std::string tests =
            "\nzortst { a = 1 verify: a == 1 }\nzortst { b = 2 verify: b == 3 }\n"
            "stay { }\nzortst { c = 3 verify: c == 3 }\n";
        mkdir(dir.file("sub").c_str(), 0755);
        return {write("a.txt", "resultfile \"one.txt\"" + tests),
                write("b.txt", "resultfile \"sub/../two.txt\"" + tests),
                write("c.txt", "resultfile \"./one.txt\"" + tests),
                write("d.txt", "resultfile (\"tw\" \"o.txt\")" + tests),
                write("e.txt", "// resultfile \"one.txt\"\nresultfile \"three.txt\"" + tests)};
    }

    zorruntest::ChildResult runJobs(const std::string& jobs,
                                    const std::vector<std::string>& scripts,
                                    std::vector<std::string> more = {}) {
        for (const char* name :
             {"one.txt", "two.txt", "three.txt", "stays.log", "report.json", ".zorrun/lastfailed"})
            std::remove(dir.file(name).c_str());
        std::vector<std::string> args{"-j",      jobs,         "--load", ZOR_TEST_MODULE,
                                      "--junit", "report.xml", "--json", "report.json"};
        args.insert(args.end(), more.begin(), more.end());
        args.insert(args.end(), scripts.begin(), scripts.end());
        return zorRun(args);
    }

    // The output files, the failures kept and the reports, but for times and
    // the start, which two runs do not share.
    std::string writtenFiles() {
        const std::string json = std::regex_replace(
            read("report.json"), std::regex("\"duration\":[0-9.e+-]*"), "\"duration\":");
        return read("one.txt") + "|" + read("two.txt") + "|" + read("three.txt") + "|" +
               read(".zorrun/lastfailed") + "|" +
               std::regex_replace(read("report.xml"), std::regex(" time=\"[0-9.]*\""), "") +
               std::regex_replace(json, std::regex("\"startTime\":\"[^\"]*\""), "\"startTime\":");
    }
};

// Each script runs twice: five scripts of three passed and one failed test,
// each repeated run counted and named.
TEST_F(ZorRunJobsTest, SeveralJobsWriteWhatOneJobWrites) {
    const std::vector<std::string> scripts = mixedScripts();
    const auto one = runJobs("1", scripts, {"--repeat", "2"});
    EXPECT_TRUE(one.out.ends_with(zorruntest::summary(30, 10))) << one.out;
    EXPECT_EQ(query("count(//testsuite[contains(@name, ' (run 2/2)')])"), "5");
    const std::string written = writtenFiles();
    const auto three = runJobs("3", scripts, {"--repeat", "2"});
    EXPECT_EQ(three.status, one.status);
    EXPECT_EQ(three.out, one.out);
    EXPECT_EQ(three.err, one.err);
    EXPECT_EQ(writtenFiles(), written);
}

// Shards split the scripts by sorted name; more shards than scripts leave some empty.
TEST_F(ZorRunJobsTest, ShardsCoverEveryScriptOnce) {
    std::vector<std::string> scripts;
    for (const char* name : {"g.txt", "b.txt", "e.txt", "a.txt", "f.txt", "c.txt", "d.txt"})
        scripts.push_back(
            write(name, "resultfile \"" + std::string(name) + ".out\"\nzortst { }\n"));
    const auto shard = [&](const std::string& which) {
        std::vector<std::string> args{"--shard", which};
        args.insert(args.end(), scripts.begin(), scripts.end());
        return zorRun(args).out;
    };
    const std::string out = shard("0/3") + shard("1/3") + shard("2/3");
    for (const std::string& script : scripts) {
        const std::size_t at = out.find("== " + script + "\n");
        EXPECT_NE(at, std::string::npos) << script;
        EXPECT_EQ(out.find("== " + script + "\n", at + 1), std::string::npos) << script;
    }
    EXPECT_NE(shard("8/9").find("shard 8/9 has no scripts\n"), std::string::npos);
}

}  // namespace
