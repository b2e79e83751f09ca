// Runs that once ended as passes although a test failed, a verdict was lost
// or a test ran twice: each must now end as a failure or an error, through
// the real ZorRun and ZorServer.
#include <gtest/gtest.h>

#include <regex>

#include "ZorRunFixture.h"

namespace {

class ZorRunFalsePassTest : public zorruntest::ServerFixture {
protected:
    zorruntest::ChildResult remote(const std::string& script) {
        if (!server) startServer({"--load", ZOR_MISBEHAVING_MODULE});
        return zorRun({"--remote", address(), script});
    }
    zorruntest::ChildResult local(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--load", ZOR_MISBEHAVING_MODULE, "--load", ZOR_TEST_MODULE});
        return zorRun(args);
    }
};

bool hasLine(const std::string& out, const std::string& pattern) {
    return std::regex_search(out, std::regex("(^|\n)" + pattern + "(\n|$)"));
}

// The writers of the report blocks in an output file, in file order: a
// letter per block, from each block's verified "who".
std::string writers(const std::string& outFile) {
    static const std::regex who("who == \"(.)\"");
    std::string order;
    for (std::sregex_iterator at(outFile.begin(), outFile.end(), who), end; at != end; ++at)
        order += (*at)[1].str();
    return order;
}

// Two of the stays.log lines that stay() writes, of two processes, must not
// overlap: each "enter" is followed by the "leave" of the same process.
bool staysOneAtATime(const std::string& log) {
    static const std::regex pair("enter ([0-9]+)\nleave \\1\n");
    return std::regex_replace(log, pair, "").empty();
}

// A script of six tests that each take a while and log who wrote them.
std::string sixStays(const std::string& head, char who) {
    std::string script = head;
    for (int i = 0; i < 6; ++i)
        script += std::string("stay { }\nzortst { who = \"") + who + "\" verify: who == \"" + who +
                  "\" }\n";
    return script;
}

}  // namespace

// The server's reply holds one output file, the last one, as the script left
// it: a failure written to an earlier file, a file the script deleted, and
// result text that reads like the end of a block and a passing test after it
// must not hide the failure, nor add a test.
TEST_F(ZorRunFalsePassTest, RemoteRepliesThatHideAFailureDoNotPass) {
    write("two.txt",
          "resultfile \"first.txt\"\nzortst { a = 1 verify: a == 2 }\n"
          "resultfile \"second.txt\"\nzortst { b = 1 verify: b == 1 }\n");
    write("deleted.txt",
          "resultfile \"gone.txt\"\nzortst { a = 1 verify: a == 2 }\ndeletefile \"gone.txt\"\n");
    write("forged.txt",
          "resultfile \"forged_out.txt\"\nforgedReport { verify: text == \"plain\" }\n");
    const struct {
        std::string script, failLine, tests;
    } cases[] = {
        {"two.txt", "zortst[^\n]*: FAIL \\(first\\.txt\\)", "tests: 2, "},
        {"deleted.txt", "zortst[^\n]*: FAIL[^\n]*", "tests: 1, "},
        {"forged.txt", "forgedReport[^\n]*: FAIL[^\n]*", "tests: 1, "},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.script);
        const auto result = remote(run.script);
        EXPECT_NE(result.status, 0) << result.out << result.err;
        EXPECT_TRUE(hasLine(result.out, run.failLine)) << result.out;
        EXPECT_NE(result.out.find(run.tests), std::string::npos) << result.out;
    }
}

// A worker's copy that runs the rest of the script while the worker crashes,
// and verdicts wiped from the shared memory before the supervisor read them:
// neither may leave a run that passes, nor count more tests than the script
// holds.
TEST_F(ZorRunFalsePassTest, TestFunctionsThatForkOrWipeTheirChannelDoNotPass) {
    const std::string around = "zortst { b = 2 verify: b == 2 }\n";
    write("crash.txt", "resultfile \"crash_out.txt\"\n" + around + "forkAndReturn { }\n" + around);
    write("wipe.txt", "resultfile \"wipe_out.txt\"\n" + around +
                          "freezeParent { }\nzortst { a = 1 verify: a == 2 }\n" + around +
                          "wipeSharedMemory { }\n" + around);
    const std::pair<std::string, int> cases[] = {{"crash.txt", 3}, {"wipe.txt", 6}};
    for (const auto& [script, records] : cases) {
        SCOPED_TRACE(script);
        const auto result = local({script});
        EXPECT_NE(result.status, 0) << result.out << result.err;
        // The copy's tests, counted again, would make more.
        std::smatch tests;
        ASSERT_TRUE(std::regex_search(result.out, tests, std::regex("\ntests: ([0-9]+), ")))
            << result.out;
        EXPECT_LE(std::stoi(tests[1]), records) << result.out;
    }
    // The wipe reached the memory the two processes share.
    EXPECT_TRUE(std::regex_search(read("wipe_out.txt"), std::regex("wiped = [1-9]")))
        << read("wipe_out.txt");
}

// A comment added above a failing test moves every test after it: the
// failure recorded by the run before must still run, by --last-failed and by
// --rerun-failed alike.
TEST_F(ZorRunFalsePassTest, FailuresRecordedBeforeAnEditStillRun) {
    const std::string passing = "resultfile \"a_out.txt\"\nzortst { a = 1 verify: a == 1 }\n";
    const std::string failing = "zortst { b = 1 verify: b == 2 }\n";
    write("a.txt", passing + failing);
    ASSERT_EQ(local({"--junit", "report.xml", "a.txt"}).status, 1);
    write("a.txt", passing + "// fails until the server is fixed\n" + failing);
    const std::vector<std::string> reruns[] = {{"--last-failed", "a.txt"},
                                               {"--rerun-failed", "report.xml", "a.txt"}};
    for (const auto& args : reruns) {
        SCOPED_TRACE(args[0]);
        const auto result = local(args);
        EXPECT_NE(result.status, 0) << result.out << result.err;
        EXPECT_TRUE(hasLine(result.out, "zortst[^\n]*\\(a\\.txt:4\\): FAIL[^\n]*"))
            << result.out << result.err;
    }
}

// With two jobs, a script whose resultfile after "/**/" the library reads
// although it looks like the start of a comment shares the other's output
// file: whichever file the library takes, no blocks may mix and no test fails
// (names that share plainly are the jobs test's).
TEST_F(ZorRunFalsePassTest, ScriptsSharingAFileUnderAnotherNameRunOneAfterTheOther) {
    write("a.txt", sixStays("resultfile \"out.txt\"\n", 'a'));
    write("b.txt", sixStays("resultfile \"b_out.txt\"\n/**//* resultfile \"out.txt\"\n", 'b'));
    const auto result = local({"-q", "-j", "2", "a.txt", "b.txt"});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(result.out.find("FAIL"), std::string::npos) << result.out;
    const std::string shared = writers(read("out.txt"));
    if (shared == "aaaaaa") {
        EXPECT_EQ(writers(read("b_out.txt")), "bbbbbb");
    } else {
        EXPECT_EQ(shared, "aaaaaabbbbbb");
        EXPECT_TRUE(staysOneAtATime(read("stays.log"))) << read("stays.log");
    }
}
