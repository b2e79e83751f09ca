// ZorRun --remote against ZorServer: the scripts run on the server, their
// output files come back, and the verdicts, errors and exit status are read
// from them as a CI job sees them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "ScriptedServer.h"
#include "ServerProcess.h"
#include "TempDir.h"
#include "ZorRunFixture.h"
#include "protocol/PortRule.h"

using zortest::readFile;
using zortest::writeFile;

namespace {

class ZorRunRemoteTest : public ::testing::Test {
protected:
    void startServer(std::vector<std::string> args = {}) {
        std::vector<std::string> argv{ZORSERVER_PATH, "--port", "0"};
        argv.insert(argv.end(), args.begin(), args.end());
        server = std::make_unique<zortest::ServerProcess>(argv, serverDir.path().string());
        ASSERT_TRUE(server->started()) << server->output();
    }
    std::string address() const { return "localhost:" + std::to_string(server->viewerPort()); }
    zorruntest::ChildResult zorRun(std::vector<std::string> args) const {
        args.insert(args.begin(), ZORRUN_PATH);
        return zorruntest::runChild(args, clientDir.path().string());
    }
    void write(const std::string& name, const std::string& text) const {
        writeFile(clientDir.file(name), text);
    }

    zortest::TempDir serverDir;
    zortest::TempDir clientDir;
    std::unique_ptr<zortest::ServerProcess> server;
};

const std::string passing =
    "deletefile \"pass_out.txt\"\r\nresultfile \"pass_out.txt\"\r\n"
    "zortst { a = 1 verify: a == 1 }\r\n";
const std::string failing =
    "deletefile \"fail_out.txt\"\r\nresultfile \"fail_out.txt\"\r\n"
    "zortst { a = 1 verify: a == 1 }\r\nzortst { b = 1 verify: b == 2 }\r\n";

}  // namespace

TEST_F(ZorRunRemoteTest, VerdictsComeFromTheOutputFilesTheServerSends) {
    startServer();
    write("pass.txt", passing);
    write("fail.txt", failing);
    const zorruntest::ChildResult result =
        zorRun({"--remote", address(), "missing.txt", "pass.txt", "fail.txt", "--junit",
                "report.xml", "--json", "report.json"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "missing.txt: cannot open script: No such file or directory\n");
    EXPECT_EQ(result.out,
              "== missing.txt\n== pass.txt\nzortst: ok (pass_out.txt)\n== fail.txt\n"
              "zortst: ok (fail_out.txt)\nzortst: FAIL (fail_out.txt)\n"
              "tests: 3, passed: 2, failed: 1, scripts with errors: 1\n");
    EXPECT_EQ(readFile(clientDir.file("fail_out.txt")), readFile(serverDir.file("fail_out.txt")));
    EXPECT_EQ(readFile(serverDir.file("pass.txt")), passing);
    const zorruntest::ChildResult failures = zorruntest::runChild(
        {ZOR_XMLLINT, "--xpath", "string(//testsuite[@name='fail.txt']/@failures)",
         clientDir.file("report.xml")});
    EXPECT_EQ(failures.out, "1\n") << failures.err;
    // A remote verdict knows no position, line or duration.
    const std::string json = readFile(clientDir.file("report.json"));
    EXPECT_NE(json.find(R"({"name":"zortst","position":null,"file":"fail.txt","line":null,)"
                        R"("verdict":"failed","duration":null,"outFile":"fail_out.txt",)"
                        R"("failures":[]})"),
              std::string::npos)
        << json;
}

TEST_F(ZorRunRemoteTest, TheExampleRunsOnAServerThatLoadedItsModule) {
    startServer({"--load", ZOR_EXAMPLE_MODULE});
    std::filesystem::copy_file(ZOR_EXAMPLE_SCRIPT, clientDir.file("example.zor.txt"));
    const zorruntest::ChildResult result = zorRun({"--remote", address(), "example.zor.txt"});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("login: ok (example_out.txt)"), std::string::npos) << result.out;
}

// Addresses and options ZorRun refuses, and servers it cannot reach.
TEST_F(ZorRunRemoteTest, BadAddressesAndUnreachableServersEndWithStatus2) {
    startServer();
    const int port = server->viewerPort();
    server->stop();
    write("pass.txt", passing);
    const std::string refused =
        "cannot reach the test server: connection refused or failed (TCP port " +
        std::to_string(remote::tcpPortOf(port)) + ")";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"device.lan"}, "--remote expects HOST:PORT"},
        {{":6500"}, "--remote expects HOST:PORT"},
        {{"host:"}, "--remote expects HOST:PORT"},
        {{"host:65536"}, "--remote expects HOST:PORT"},
        {{"host:x"}, "--remote expects HOST:PORT"},
        {{"h:1", "--load", "a.so"}, "--load cannot be used with --remote"},
        {{"localhost:" + std::to_string(port)}, refused},
        {{"[::1]:" + std::to_string(port)}, refused},
        {{"no-such-host.invalid:6500"}, "cannot resolve the server's name"},
    };
    for (auto [args, message] : cases) {
        args.insert(args.begin(), "--remote");
        args.push_back("pass.txt");
        const zorruntest::ChildResult result = zorRun(args);
        EXPECT_EQ(result.status, 2) << args[1];
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
}

// The server's output file keeps the reports of earlier runs when a script
// does not delete it: only those this run appended give its verdicts.
TEST_F(ZorRunRemoteTest, AFixedScriptPassesWithoutDeletingTheFormerReports) {
    startServer();
    const std::string head = "resultfile \"kept_out.txt\"\r\n{ limit = 2 }\r\n";
    write("kept.txt", head + "zortst { a = 1 verify: a == 2 }\r\n");
    zorruntest::ChildResult result = zorRun({"--remote", address(), "kept.txt"});
    EXPECT_EQ(result.status, 1) << result.err;
    write("kept.txt", head +
                          "zortst { a = 2 verify: a == 2 }\r\n"
                          "zortst { b = (limit) verify: b == 2 }\r\n");
    result = zorRun({"--remote", address(), "kept.txt"});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(result.out,
              "== kept.txt\nzortst: ok (kept_out.txt)\nzortst: ok (kept_out.txt)\n"
              "tests: 2, passed: 2, failed: 0, scripts with errors: 0\n");
}

// A server that answers late, with a name outside the folder, or with no file
// for a run that reached tests: each is said, and none passes for a verdict.
TEST_F(ZorRunRemoteTest, HostileRepliesEndWithStatus2) {
    const std::string script = "resultfile \"out.txt\"\r\nzortst { a = 1 verify: a == 1 }\r\n";
    write("s.txt", script);
    write("out.txt", "zortst\r\n{\r\n  verified:\r\n    a == 1\r\n  logged:\r\n}\r\n\r\n");
    const std::size_t requestSize = remotetest::request(0, "", "s.txt", &script, "").size();
    const std::string tail = remotetest::number(0) + remotetest::number(0) + remotetest::number(0) +
                             remotetest::number(0);
    const struct {
        int pauseMs;
        std::string reply;
        std::string message;
    } cases[] = {
        {5500, remotetest::string("../evil.txt") + remotetest::counted("evil") + tail,
         "the test server named an output file outside this folder: ../evil.txt"},
        {0, remotetest::string("out.txt") + remotetest::number(0) + tail,
         "the test server's output file lacks 1 reports"},
    };
    for (const auto& hostile : cases) {
        remotetest::ScriptedServer scripted;
        scripted.receive(requestSize).pause(hostile.pauseMs).send(hostile.reply).receive(8);
        scripted.start();
        const zorruntest::ChildResult result =
            zorRun({"--remote", "127.0.0.1:" + std::to_string(scripted.enteredPort()), "s.txt"});
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(hostile.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out.find(": ok"), std::string::npos) << result.out;
        const std::string waiting =
            "waiting for the test server at 127.0.0.1:" + std::to_string(scripted.enteredPort()) +
            " (it serves one client at a time)\n";
        EXPECT_EQ(result.err.find(waiting) != std::string::npos, hostile.pauseMs > 0) << result.err;
        EXPECT_EQ(result.err.find(waiting), result.err.rfind(waiting));
    }
    EXPECT_FALSE(std::filesystem::exists(clientDir.path().parent_path() / "evil.txt"));
}

// The whole exchange is bounded: here the server takes the request and says
// nothing for longer than the limit.
TEST_F(ZorRunRemoteTest, TimeoutBoundsTheWaitForTheServer) {
    const std::string script = "resultfile \"out.txt\"\r\nzortst { a = 1 verify: a == 1 }\r\n";
    write("s.txt", script);
    const std::size_t requestSize = remotetest::request(0, "", "s.txt", &script, "").size();
    remotetest::ScriptedServer scripted;
    scripted.receive(requestSize).pause(3000);
    scripted.start();
    const zorruntest::ChildResult result =
        zorRun({"--timeout", "1", "--remote", "127.0.0.1:" + std::to_string(scripted.enteredPort()),
                "--junit", "report.xml", "s.txt"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "s.txt: timed out after 1 s waiting for the test server\n");
    EXPECT_NE(readFile(clientDir.file("report.xml")).find("timed out after 1 s"),
              std::string::npos);
}

// A server runs one test alone by its filter, or the whole script.
TEST_F(ZorRunRemoteTest, SelectionMapsToTheServersFilterWhenItTakesOneTest) {
    startServer();
    write("fail.txt", failing);
    write("pass.txt", passing);
    const struct {
        std::vector<std::string> args;
        std::string out, err;
        int status;
    } cases[] = {
        {{"-k", "fail.txt:4", "fail.txt"},
         "== fail.txt\nzortst: FAIL (fail_out.txt)\n" +
             std::string("tests: 1, passed: 0, failed: 1, scripts with errors: 0\n"),
         "",
         1},
        {{"-k", "zortst", "fail.txt"},
         "== fail.txt\ntests: 0, passed: 0, failed: 0, scripts with errors: 1\n",
         "fail.txt: -k takes 2 tests; a test server runs one test alone or the whole script\n",
         2},
        {{"-k", "none", "fail.txt"},
         "== fail.txt\ntests: 0, passed: 0, failed: 0, scripts with errors: 0\n",
         "no test is selected\n",
         2},
        {{"-x", "fail.txt", "pass.txt"},
         "== fail.txt\nzortst: ok (fail_out.txt)\nzortst: FAIL (fail_out.txt)\n" +
             std::string("tests: 2, passed: 1, failed: 1, scripts with errors: 0\n"),
         "",
         1},
    };
    for (auto [args, out, err, status] : cases) {
        args.insert(args.begin(), {"--remote", address()});
        const zorruntest::ChildResult result = zorRun(args);
        EXPECT_EQ(result.out, out) << args[3];
        EXPECT_EQ(result.err, err) << args[3];
        EXPECT_EQ(result.status, status) << args[3];
    }
}
