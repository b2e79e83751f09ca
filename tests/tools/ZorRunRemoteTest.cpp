// ZorRun --remote against ZorServer, its verdicts read as a CI job reads them.
#include <gtest/gtest.h>

#include <filesystem>

#include "ScriptedServer.h"
#include "ZorRunFixture.h"
#include "protocol/PortRule.h"
#include "protocol/VerdictCodec.h"

namespace {

class ZorRunRemoteTest : public zorruntest::ServerFixture {
protected:
    // ZorRun against a server that answers the request for script with reply,
    // or with silence when there is none.
    zorruntest::ChildResult playedRun(const std::string& script, const std::string& reply,
                                      std::vector<std::string> args = {}) {
        const std::size_t requestSize = remotetest::request(0, "", "s.txt", &script, "").size();
        remotetest::ScriptedServer scripted;
        scripted.receive(requestSize);
        if (reply.empty())
            scripted.pause(3000);
        else
            scripted.send(reply).receive(8);
        scripted.start();
        args.insert(args.end(),
                    {"--remote", "127.0.0.1:" + std::to_string(scripted.enteredPort()), "s.txt"});
        return zorRun(args);
    }
};

// Two tests, at positions 42 and 74 after fresh(), the second failing.
const std::string testA = "zortst { a = 1 verify: a == 1 }\r\n";
const std::string testB = "zortst { b = 1 verify: b == 2 }\r\n";
std::string fresh(const std::string& file) {
    return "deletefile \"" + file + "\"\r\nresultfile \"" + file + "\"\r\n";
}
const std::string passing = fresh("pass_out.txt") + testA;
const std::string failing = fresh("fail_out.txt") + testA + testB;
const std::string simple = "resultfile \"out.txt\"\r\n" + testA;
const std::string twoTests = fresh("out.txt") + testA + testB;
const std::string blockA = "zortst\r\n{\r\n  verified:\r\n    a == 1\r\n  logged:\r\n}\r\n\r\n";
const std::string blockB =
    "zortst\r\n{\r\n  verified:\r\n    b == 2; [int b = 1] ERROR\r\n  logged:\r\n}\r\n\r\n";

// The end of a reply: no more display blocks, then the error, if any.
std::string replyEnd(const std::string& errText = "") {
    using remotetest::number;
    if (errText.empty()) return number(0) + number(0) + number(0) + number(0);
    return number(0) + number(1) + number(0) + remotetest::string(errText);
}

remote::RemoteVerdict verdict(const std::string& name, int position, bool passed) {
    remote::RemoteVerdict made;
    made.name = name;
    made.position = position;
    made.outcome = passed ? remote::VerdictOutcome::passed : remote::VerdictOutcome::failed;
    made.outFile = "out.txt";
    return made;
}

// The verdict blocks as the display blocks of a reply.
std::string verdictReply(const std::vector<remote::RemoteVerdict>& verdicts,
                         const remote::RemoteRunEnd& end) {
    std::string bytes;
    for (const std::string& block : remote::verdictBlocks(verdicts, end))
        bytes += remotetest::counted(block);
    return bytes;
}

}  // namespace

// A server runs one test alone by its filter, and the remote run says what a
// local run says (whole scripts are the reports' agreement check's); a server
// cannot run two tests alone, and gets no script in which none is selected.
TEST_F(ZorRunRemoteTest, TheServerRunsTheFilteredTestAlone) {
    startServer();
    write("fail.txt", failing);
    write("other.txt", passing);
    // other.txt has no test on that line: it is not selected, and not sent.
    const auto local = zorRun({"-k", "fail.txt:4", "fail.txt", "other.txt"});
    const auto remote =
        zorRun({"--remote", address(), "-k", "fail.txt:4", "fail.txt", "other.txt"});
    EXPECT_EQ(remote.status, local.status);
    EXPECT_EQ(remote.err, local.err);
    EXPECT_EQ(remote.out, local.out);
    EXPECT_EQ(serverFile("fail_out.txt").find("a == 1"), std::string::npos);
    EXPECT_EQ(read("fail_out.txt"), serverFile("fail_out.txt"));
    const auto two = zorRun({"--remote", address(), "-k", "zortst", "fail.txt"});
    EXPECT_EQ(two.status, 2);
    EXPECT_EQ(
        two.err,
        "fail.txt: -k takes 2 tests; a test server runs one test alone or the whole script\n");
}

// Addresses and options ZorRun refuses (an output folder outside this one
// among them), and servers it cannot reach.
TEST_F(ZorRunRemoteTest, BadAddressesOptionsAndUnreachableServersEndWithStatus2) {
    startServer();
    const int port = server->viewerPort();
    server->stop();
    write("pass.txt", passing);
    const std::string refused =
        "cannot reach the test server: connection refused or failed (TCP port " +
        std::to_string(remote::tcpPortOf(port)) + ")";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"h:1", "--remote-output", ".."},
         "--remote-output expects a folder beneath the current folder"},
        {{"localhost:" + std::to_string(port)}, refused},
        {{"no-such-host.invalid:6500"}, "cannot resolve the server's name"},
    };
    for (auto [args, message] : cases) {
        SCOPED_TRACE(message);
        args.insert(args.begin(), "--remote");
        args.push_back("pass.txt");
        const auto result = zorRun(args);
        EXPECT_EQ(result.status, 2) << args[1];
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
}

// A server that names a file outside the folder, sends none for a run that
// reached tests, or does not answer in time: each is said, none is a verdict.
TEST_F(ZorRunRemoteTest, HostileAndSilentServersEndWithStatus2) {
    write("s.txt", simple);
    write("out.txt", "zortst\r\n{\r\n  verified:\r\n    a == 1\r\n  logged:\r\n}\r\n\r\n");
    const struct {
        std::string reply;
        std::string message;
    } cases[] = {
        {remotetest::string("../evil.txt") + remotetest::counted("evil") + replyEnd(),
         "the test server named an output file outside this folder: ../evil.txt"},
        {remotetest::string("out.txt") + remotetest::number(0) + replyEnd(),
         "cannot judge this run: the test server sent no output file"},
        {"", "s.txt: timed out after 1 s waiting for the test server\n"},
    };
    for (const auto& hostile : cases) {
        SCOPED_TRACE(hostile.message);
        std::vector<std::string> args;
        if (hostile.reply.empty()) args = {"--timeout", "1"};
        const auto result = playedRun(simple, hostile.reply, args);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(hostile.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out.find(": ok"), std::string::npos) << result.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "evil.txt"));
}

// A server that sends no verdicts is judged from its output file only where
// the file can tell this run's reports: one file, named in the script, not
// deleted after a test, one block for each test in the script's order (text
// that is no block is the block reader's own test). Otherwise the run says
// why it cannot judge.
TEST_F(ZorRunRemoteTest, AServerWithoutVerdictsIsJudgedOnlyWhereItsFileCanTell) {
    const std::string file = remotetest::string("out.txt");
    const std::string kept = "resultfile \"out.txt\"\r\n" + testA + testB;
    const struct {
        std::string script, outFile, error;
    } refused[] = {
        {"resultfile \"a.txt\"\r\n" + testA + "resultfile \"out.txt\"\r\n" + testB, blockA + blockB,
         "the script writes to 2 output files"},
        {kept, blockA + "other" + blockB.substr(6),
         "report block 2 is not the report of zortst 53"},
    };
    for (const auto& run : refused) {
        SCOPED_TRACE(run.error);
        write("s.txt", run.script);
        const auto result =
            playedRun(run.script, file + remotetest::counted(run.outFile) + replyEnd());
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find("s.txt: cannot judge this run: " + run.error), std::string::npos)
            << result.err;
        EXPECT_EQ(result.out.find(": ok"), std::string::npos) << result.out;
    }
    write("s.txt", twoTests);
    const auto judged =
        playedRun(twoTests, file + remotetest::counted(blockA + blockB) + replyEnd());
    EXPECT_EQ(judged.status, 1) << judged.err;
    EXPECT_EQ(judged.out,
              "== s.txt\nzortst 42 (s.txt:3): ok (out.txt)\nzortst 74 (s.txt:4): FAIL (out.txt)\n"
              "    expected b == 2, actual 1\n" +
                  zorruntest::summary(1, 1));
}

// Verdicts that name a test the script does not reach there (one it does not
// hold, one told twice), fewer verdicts than the run reached, and a run that
// ended outside any test: none passes, and the tests after the last verdict
// are not run.
TEST_F(ZorRunRemoteTest, VerdictsThatAreForgedOrLostDoNotPass) {
    write("s.txt", twoTests);
    const std::string file = remotetest::string("out.txt") + remotetest::number(0);
    const remote::RemoteRunEnd returned{true, 0, 0, 0, "", 0};
    const remote::RemoteRunEnd crashed{false, 0, 0, 0, "", 0};
    const struct {
        std::string reply, error, notRun;
    } cases[] = {
        {verdictReply({verdict("zortst", 42, true), verdict("fake", 9, true)}, returned) +
             replyEnd(),
         "s.txt: the test server sent a verdict for fake 9", ""},
        {verdictReply({verdict("zortst", 42, true), verdict("zortst", 42, false)}, returned) +
             replyEnd(),
         "s.txt: the test server sent a verdict for zortst 42", ""},
        {verdictReply({verdict("zortst", 42, true)}, returned) + replyEnd(),
         "s.txt: verdicts lost: the run reached 2 tests, 1 verdicts arrived", ""},
        {verdictReply({verdict("zortst", 42, true)}, crashed) +
             replyEnd("test function crashed: SIGSEGV"),
         "s.txt: test function crashed: SIGSEGV after zortst 42",
         "    1 test not run after the crash\n"},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.error);
        const auto result = playedRun(twoTests, file + run.reply);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(run.error), std::string::npos) << result.err;
        EXPECT_EQ(result.out.find("fake"), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("zortst 42 (s.txt:3): ok"), std::string::npos) << result.out;
        EXPECT_NE(result.out.find(run.notRun), std::string::npos) << result.out << result.err;
    }
}
