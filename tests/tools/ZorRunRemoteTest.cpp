// ZorRun --remote against ZorServer, its verdicts read as a CI job reads them.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "ScriptedServer.h"
#include "ZorRunFixture.h"
#include "protocol/PortRule.h"

namespace {

class ZorRunRemoteTest : public zorruntest::ServerFixture {
protected:
    std::string address() const { return "localhost:" + std::to_string(server->viewerPort()); }
};

const std::string passing =
    "deletefile \"pass_out.txt\"\r\nresultfile \"pass_out.txt\"\r\n"
    "zortst { a = 1 verify: a == 1 }\r\n";
const std::string failing =
    "deletefile \"fail_out.txt\"\r\nresultfile \"fail_out.txt\"\r\n"
    "zortst { a = 1 verify: a == 1 }\r\nzortst { b = 1 verify: b == 2 }\r\n";
const std::string simple = "resultfile \"out.txt\"\r\nzortst { a = 1 verify: a == 1 }\r\n";

}  // namespace

// A remote run says what a local run of the same scripts says, but for the
// positions, lines and failed entries that only a local run knows: the
// verdicts come from the output files the server sends, and a server runs one
// test alone by its filter, or the whole script. The server's output file
// keeps the reports of earlier runs when a script does not delete it: only
// those this run appended give its verdicts.
TEST_F(ZorRunRemoteTest, RemoteRunsSayWhatLocalRunsSay) {
    startServer();
    write("pass.txt", passing);
    write("fail.txt", failing);
    const std::vector<std::string> runs[] = {
        {"missing.txt", "pass.txt", "fail.txt"},
        {"-k", "fail.txt:4", "fail.txt"},
        {"-x", "fail.txt", "pass.txt"},
    };
    // A position with its place, and the failed entries under a test.
    const std::regex localOnly(" [0-9]+ \\([^)]*\\)|\n    [^\n]*");
    for (const auto& args : runs) {
        SCOPED_TRACE(args[1]);
        const auto local = zorRun(args);
        std::vector<std::string> remoteArgs{"--remote",   address(), "--junit",
                                            "report.xml", "--json",  "report.json"};
        remoteArgs.insert(remoteArgs.end(), args.begin(), args.end());
        const auto remote = zorRun(remoteArgs);
        EXPECT_EQ(remote.status, local.status);
        EXPECT_EQ(remote.err, local.err);
        EXPECT_EQ(remote.out, std::regex_replace(local.out, localOnly, ""));
        // The server ran the one test the filter names, and no other.
        if (args[1] == "fail.txt:4") {
            EXPECT_EQ(serverFile("fail_out.txt").find("a == 1"), std::string::npos);
        }
    }
    EXPECT_EQ(read("fail_out.txt"), serverFile("fail_out.txt"));
    EXPECT_EQ(serverFile("pass.txt"), passing);
    EXPECT_EQ(query("string(//testsuite[@name='fail.txt']/@failures)"), "1");
    // A remote verdict knows no position or line.
    EXPECT_NE(read("report.json").find(R"("position":null,"file":"fail.txt","line":null,)"),
              std::string::npos);
    const auto two = zorRun({"--remote", address(), "-k", "zortst", "fail.txt"});
    EXPECT_EQ(two.status, 2);
    EXPECT_EQ(
        two.err,
        "fail.txt: -k takes 2 tests; a test server runs one test alone or the whole script\n");

    const std::string head = "resultfile \"kept_out.txt\"\r\n{ limit = 2 }\r\n";
    write("kept.txt", head + "zortst { a = 1 verify: a == 2 }\r\n");
    EXPECT_EQ(zorRun({"--remote", address(), "kept.txt"}).status, 1);
    write("kept.txt", head +
                          "zortst { a = 2 verify: a == 2 }\r\n"
                          "zortst { b = (limit) verify: b == 2 }\r\n");
    const auto result = zorRun({"--remote", address(), "kept.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "== kept.txt\nzortst: ok (kept_out.txt)\nzortst: ok (kept_out.txt)\n" +
                              zorruntest::summary(2, 0));
}

// Addresses and options ZorRun refuses, and servers it cannot reach.
TEST_F(ZorRunRemoteTest, BadAddressesOptionsAndUnreachableServersEndWithStatus2) {
    startServer();
    const int port = server->viewerPort();
    server->stop();
    write("pass.txt", passing);
    const std::string refused =
        "cannot reach the test server: connection refused or failed (TCP port " +
        std::to_string(remote::tcpPortOf(port)) + ")";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"host:65536"}, "--remote expects HOST:PORT"},
        {{"h:1", "--load", "a.so"}, "--load cannot be used with --remote"},
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
    const std::size_t requestSize = remotetest::request(0, "", "s.txt", &simple, "").size();
    const std::string tail = remotetest::number(0) + remotetest::number(0) + remotetest::number(0) +
                             remotetest::number(0);
    const struct {
        int pauseMs;
        std::string reply;
        std::string message;
    } cases[] = {
        {0, remotetest::string("../evil.txt") + remotetest::counted("evil") + tail,
         "the test server named an output file outside this folder: ../evil.txt"},
        {0, remotetest::string("out.txt") + remotetest::number(0) + tail,
         "the test server's output file lacks 1 reports"},
        {3000, "", "s.txt: timed out after 1 s waiting for the test server\n"},
    };
    for (const auto& hostile : cases) {
        SCOPED_TRACE(hostile.message);
        remotetest::ScriptedServer scripted;
        scripted.receive(requestSize).pause(hostile.pauseMs);
        if (!hostile.reply.empty()) scripted.send(hostile.reply).receive(8);
        scripted.start();
        const std::string at = "127.0.0.1:" + std::to_string(scripted.enteredPort());
        std::vector<std::string> args{"--remote", at, "--junit", "report.xml", "s.txt"};
        if (hostile.reply.empty()) args.insert(args.begin(), {"--timeout", "1"});
        const auto result = zorRun(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(hostile.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out.find(": ok"), std::string::npos) << result.out;
        const std::string reported = query("string(//error/@message)");
        EXPECT_TRUE(!reported.empty() && hostile.message.find(reported) != std::string::npos)
            << reported;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "evil.txt"));
}
