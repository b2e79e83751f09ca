// ZorServer run as a user runs it, in a folder of its own, and spoken to with
// the client's own exchange on loopback from another folder.
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "DeviceLine.h"
#include "ScriptedServer.h"
#include "ZorLib.h"
#include "ZorRunFixture.h"
#include "protocol/RemoteExchange.h"

using zortest::readFile;
namespace fs = std::filesystem;

namespace {

const std::string script =
    "deletefile \"out.txt\"\r\n"
    "resultfile \"out.txt\"\r\n"
    "zortst { a = 1 verify: a == 1 }\r\n"
    "zortst { b = 2 verify: b == 3 }\r\n";

struct CountingFiles : remote::DiskReplyFiles {
    bool write(const char* data, std::size_t count) override {
        bytes += count;
        return DiskReplyFiles::write(data, count);
    }
    std::size_t bytes = 0;
};

class ZorServerTest : public zorruntest::ServerFixture {
protected:
    // Connects from the family's loopback address. Every wait is bounded, so a
    // server that never lets go fails the test instead of hanging it; a small
    // receive buffer fills soon with a reply that is not read.
    remote::WireSocket connect(const std::string& loopback = "127.0.0.1", int receiveBuffer = 0) {
        addrinfo hints{};
        hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const std::string port = std::to_string(server->tcpPort());
        if (getaddrinfo(loopback.c_str(), port.c_str(), &hints, &found) != 0) return {};
        remote::WireSocket connection(socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const int fd = connection.descriptor();
        if (receiveBuffer > 0)
            setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        constexpr timeval patience{15, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
        EXPECT_EQ(::connect(fd, found->ai_addr, found->ai_addrlen), 0) << loopback;
        freeaddrinfo(found);
        return connection;
    }
    // The names a client takes back, read from the script as ZorRun reads it.
    static remote::ReplyNameRule namesOf(const std::string& text) {
        zortest::writeFile("sent.txt", text);
        ScriptOutline outline;
        Parse::outlineScript("sent.txt", outline);
        return remote::ReplyNameRule(outline.files, "");
    }
    remote::ExchangeReply exchange(remote::WireSocket& connection, const std::string& text,
                                   const std::string& filter = "", bool send = true,
                                   const std::string& input = "in.txt") {
        remote::ExchangeRequest request;
        request.inputName = input;
        request.script = text;
        request.sendScript = send;
        request.filter = filter;
        if (send) sentScript = text;
        request.replyNames = namesOf(sentScript);
        CountingFiles files;
        display.clear();
        const remote::ExchangeReply reply =
            remote::runExchange(connection, request, display, files);
        receivedBytes = files.bytes;
        return reply;
    }

    display::DisplayList display;
    std::string sentScript;  // the one the server keeps
    // The output file's bytes that the last exchange brought.
    std::size_t receivedBytes = 0;
};

}  // namespace

// A kept script runs again unsent (the filter that selects one test is tested
// through ZorRun); one never sent, or a filter too long to pass on, is an
// error reply, never an empty answer. Control characters from clients are
// escaped in the log.
TEST_F(ZorServerTest, RunsTheKeptScriptAndEscapesClientTextInItsLog) {
    startServer();
    remote::WireSocket connection = connect();
    exchange(connection, script);
    fs::remove("out.txt");
    EXPECT_EQ(exchange(connection, "", "", false).outFile, "out.txt");
    EXPECT_NE(readFile("out.txt").find("b == 3; [int b = 2] ERROR"), std::string::npos);
    const remote::ExchangeReply unknown = exchange(connection, "", "", false, "never.txt");
    EXPECT_EQ(unknown.errLine, 1);
    EXPECT_EQ(unknown.errText, "cannot open the script never.txt");
    const remote::ExchangeReply longFilter = exchange(connection, script, std::string(256, 'f'));
    EXPECT_EQ(longFilter.errLine, 1);
    EXPECT_EQ(longFilter.errText,
              "filter too long for the test server (256 characters; the limit is 255)");
    EXPECT_TRUE(longFilter.finished);
    EXPECT_EQ(exchange(connection, script, std::string(255, 'f')).errLine, 0);

    exchange(connection, script, "t\x1b]0;owned\a\nZorServer: forged \\ \xc2\x9b \xc3\xa9");
    connection.close();
    // The client has gone once the server logs so.
    for (int wait = 0; wait < 1000 && !logged("disconnected"); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string log = server->output();
    EXPECT_NE(log.find("filter 't\\x1b]0;owned\\x07\\nZorServer: forged \\\\ \\u009b \xc3\xa9'"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find_first_of("\x1b\a"), std::string::npos);
}

namespace {

const std::string outsideFolderText = "file outside the server's folder: ";

// Every entry beneath the folder: a file's content, a link's target.
std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        std::string& seen = entries[entry.path().lexically_relative(dir).string()];
        if (entry.is_symlink()) {
            seen = "-> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_regular_file()) {
            seen = readFile(entry.path().string());
        }
    }
    return entries;
}

// A client that may change the server's folder at will: the ways out of it
// that a hostile client plants or names.
class ConfinedServerTest : public ZorServerTest {
protected:
    ConfinedServerTest() {
        zortest::writeFile(outsideDir.file("victim.txt"), "precious\n");
        fs::create_directory(outsideDir.path() / "folder");
        before = snapshot(outsideDir.path());
    }
    void plantLinks() const {
        fs::remove(serverDir.path() / "linkOut");
        fs::remove(serverDir.path() / "dirLink");
        fs::create_symlink(outsideDir.path() / "victim.txt", serverDir.path() / "linkOut");
        fs::create_directory_symlink(outsideDir.path(), serverDir.path() / "dirLink");
    }
    std::vector<std::string> namesOut() const {
        return {outsideDir.file("victim.txt"),
                "../" + outsideDir.path().filename().string() + "/victim.txt", "linkOut",
                "dirLink/victim.txt", "dirLink/folder/new.txt"};
    }

    zortest::TempDir outsideDir;
    std::map<std::string, std::string> before;
};

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

}  // namespace

// Output files, deleted files and kept scripts named by a way out are refused
// on line 1; nothing outside changes or comes back. A script is stored under
// its name's last component, in place of a link, never through a planted one.
TEST_F(ConfinedServerTest, NamesThatLeadOutAreRefusedAndScriptsStayInside) {
    startServer();
    remote::WireSocket connection = connect();
    const std::string text = "zortst { a = 1 }\r\n";
    for (const std::string& name : namesOut()) {
        SCOPED_TRACE(name);
        plantLinks();
        const std::string refused = outsideFolderText + name;
        remote::ExchangeReply reply =
            exchange(connection, "resultfile \"" + name + "\"\r\nzortst { a = 1 }\r\n");
        EXPECT_EQ(reply.errLine, 1);
        EXPECT_EQ(reply.errText, refused);
        EXPECT_EQ(receivedBytes, 0u);
        // A link in the folder is a name in the folder: deleting it removes
        // the link alone.
        reply = exchange(connection, "deletefile \"" + name + "\"\r\n");
        EXPECT_EQ(reply.errText, name == "linkOut" ? "" : refused);
        EXPECT_EQ(snapshot(outsideDir.path()), before);

        plantLinks();
        fs::create_symlink(outsideDir.path() / "victim.txt", serverDir.path() / "in.txt.part");
        EXPECT_EQ(exchange(connection, text, "", true, name).errLine, 0);
        EXPECT_EQ(exchange(connection, text).errLine, 0);
        EXPECT_EQ(serverFile(fs::path(name).filename().string()), text);
        EXPECT_EQ(serverFile("in.txt"), text);
        EXPECT_FALSE(fs::exists(serverDir.path() / "in.txt.part"));
        EXPECT_EQ(snapshot(outsideDir.path()), before);
    }
    plantLinks();
    const remote::ExchangeReply kept = exchange(connection, "", "", false, "linkOut");
    EXPECT_EQ(kept.errLine, 1);
    EXPECT_EQ(kept.errText, outsideFolderText + "linkOut");
}

// A file with a second link may be one outside the folder: it is neither
// written nor sent back, whether the run wrote to it or only named it. A name
// that no client takes is refused as the client would refuse it.
TEST_F(ConfinedServerTest, HardLinksAndNamesNoClientTakesAreRefused) {
    std::error_code failed;
    fs::create_hard_link(outsideDir.path() / "victim.txt", serverDir.path() / "linked.txt", failed);
    if (failed) GTEST_SKIP() << "no hard link across these folders: " << failed.message();
    fs::create_directory(serverDir.path() / "sub");
    startServer();
    remote::WireSocket connection = connect();
    const struct {
        std::string script, error;
    } cases[] = {
        {"resultfile \"linked.txt\"\r\nzortst { a = 1 }\r\n",
         "file with more than one link in the server's folder: linked.txt"},
        {"resultfile \"linked.txt\"\r\n",
         "file with more than one link in the server's folder: linked.txt"},
        {"resultfile \"sub/../r2.txt\"\r\nzortst { a = 1 }\r\n",
         "output file name that no client takes: sub/../r2.txt"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.script);
        const remote::ExchangeReply reply = exchange(connection, each.script);
        EXPECT_EQ(reply.errLine, 1);
        EXPECT_EQ(reply.errText, each.error);
        EXPECT_EQ(reply.outFile, "");
        EXPECT_EQ(receivedBytes, 0u);
        EXPECT_EQ(snapshot(outsideDir.path()), before);
        EXPECT_FALSE(fs::exists(serverDir.path() / "r2.txt"));
    }
}

// A test function that takes more than the memory bound fails its test (the
// callback catches what it throws) and ends its exchange only: the next one is
// served, and the device keeps the state that earlier exchanges gave it
// (crashes, time-outs and exits go through a real server in the reports'
// agreement check). Event records bring back no output file, even after a run
// that named one.
TEST_F(ZorServerTest, AFaultInATestFunctionEndsItsExchangeOnly) {
    startServer({"--load", ZOR_TEST_MODULE, "--max-memory", "256M"});
    remote::WireSocket connection = connect();
    exchange(connection, "buttonpress{x=40 y=120 button=0}", "", true, "xin.txt");
    // A sanitizer's shadow memory is larger than any bound, so its builds run
    // the worker unbounded.
    if (!sanitized) {
        const remote::ExchangeReply failed =
            exchange(connection, "resultfile \"out.txt\"\r\nhog { }\r\n");
        EXPECT_EQ(failed.errLine, 0);
        EXPECT_NE(serverFile("out.txt").find("test function threw: "), std::string::npos);
    }
    EXPECT_EQ(exchange(connection, script).outFile, "out.txt");
    const remote::ExchangeReply event = exchange(connection, "ongraphic{}", "", true, "xin.txt");
    EXPECT_EQ(event.outFile, "");
    EXPECT_EQ(event.errLine, 0);
    EXPECT_EQ(zortest::deviceLine(display), "A");
}

// A script beyond the client's own limit is taken off the stream and refused,
// and the connection stays in step for the next exchange; an output file too
// large to announce is not sent. The error says why.
TEST_F(ZorServerTest, ScriptsAndFilesBeyondTheLimitsAreRefused) {
    startServer({"--max-send-bytes", "100"});
    remote::WireSocket connection = connect();
    const std::string huge(10'000'000, ' ');
    const std::string request = remotetest::request(0, "", "huge.txt", &huge, "");
    connection.send(request.data(), request.size());
    int length = 0;
    for (int field = 0; field < 2; ++field) ASSERT_TRUE(connection.receiveNumber(length));
    while (connection.receiveNumber(length) && length > 0) connection.skip(length);
    int line = 0;
    std::string text(200, '\0');
    ASSERT_TRUE(connection.receiveNumber(line) && connection.receiveNumber(length) &&
                connection.receiveNumber(length));
    ASSERT_LE(length, static_cast<int>(text.size()));
    ASSERT_TRUE(connection.receive(text.data(), length));
    EXPECT_EQ(line, 1);
    EXPECT_STREQ(text.c_str(),
                 "script too long for the test server (10000000 bytes; the limit is 9999999)");
    connection.sendWord(remote::stopWord);
    EXPECT_FALSE(fs::exists(serverDir.path() / "huge.txt"));

    const remote::ExchangeReply large = exchange(connection, script, "", true, "b.txt");
    const std::size_t size = serverFile("out.txt").size();
    ASSERT_GT(size, 100u);
    EXPECT_EQ(large.errLine, 1);
    EXPECT_EQ(large.errText, "output file too large to send (" + std::to_string(size) + " bytes)");
    EXPECT_EQ(receivedBytes, 0u);
}

// With files bounded as by a full disk, a script that cannot be stored leaves
// the kept one unrun, and a report that is cut is an error, not a result.
TEST_F(ZorServerTest, WriteFailuresAreErrorReplies) {
    constexpr long limit = 64 * 1024;
    startServer({}, limit);
    remote::WireSocket connection = connect();
    const std::string small = "resultfile \"out.txt\"\r\nzortst { a = 1 verify: a == 1 }\r\n";
    exchange(connection, small);
    const std::string report = serverFile("out.txt");
    const remote::ExchangeReply refused =
        exchange(connection, "// " + std::string(limit, 'x') + "\r\n" + small);
    EXPECT_EQ(refused.errLine, 1);
    EXPECT_EQ(refused.errText, "cannot store the script in in.txt: File too large");
    EXPECT_EQ(serverFile("in.txt"), small);
    EXPECT_EQ(serverFile("out.txt"), report);

    std::string growing = "resultfile \"big.txt\"\r\n";
    for (int i = 0; i < 20; ++i)
        growing += "zortst { s = \"" + std::string(400, 'y') + "\" verify: s == \"x\" }\r\n";
    remote::ExchangeReply reply;
    for (int run = 0; run < 20 && reply.errLine == 0; ++run) reply = exchange(connection, growing);
    EXPECT_EQ(reply.errLine, 1);
    EXPECT_EQ(reply.errText, "cannot write the report to big.txt: File too large");
}

// Each way of keeping the server waiting is cut off after the idle time-out,
// and the client queued behind it is served (within the patience bound).
TEST_F(ZorServerTest, ClientsThatKeepTheServerWaitingAreClosed) {
    const std::string bigRun = "resultfile \"big.txt\"\r\nzortst { a = 1 }\r\n";
    const struct {
        const char* name;
        std::string sent;
        const char* closed;
    } cases[] = {
        {"stops inside the script", remotetest::request(0, "", "in.txt", &script, "").substr(0, 70),
         "request stalled for 1 s"},
        {"stops reading the reply", remotetest::request(0, "", "in.txt", &bigRun, ""),
         "reply not read for 1 s"},
    };
    zortest::writeFile(serverDir.file("big.txt"), std::string(9 << 20, 'x'));
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        startServer({"--idle-timeout", "1"});
        remote::WireSocket stalling = connect("127.0.0.1", 4096);
        stalling.send(each.sent.data(), each.sent.size());
        remote::WireSocket honest = connect();
        EXPECT_EQ(exchange(honest, script).outFile, "out.txt");
        EXPECT_TRUE(logged(std::string("closed: ") + each.closed)) << server->output();
    }
}

// An --allow list replaces the loopback default; on a dual-stack socket an
// IPv4 range covers IPv4 peers (that it does not cover IPv6 ones is the allow
// list's own test).
TEST_F(ZorServerTest, OnlyClientsOnTheAllowListAreServed) {
    const struct {
        std::vector<std::string> args;
        const char* from;
        bool served;
    } cases[] = {
        {{"--allow", "10.0.0.0/8"}, "127.0.0.1", false},
        {{"--bind", "::", "--allow", "0.0.0.0/0"}, "127.0.0.1", true},
    };
    // Machines without IPv6 have no ::1 to test on.
    const bool ipv6 =
        readFile("/proc/net/if_inet6").find(std::string(31, '0') + "1 ") != std::string::npos;
    for (const auto& each : cases) {
        SCOPED_TRACE(testing::PrintToString(each.args) + " from " + each.from);
        if (!ipv6 && each.args.size() > 1 && each.args[1].find(':') != std::string::npos) continue;
        startServer(each.args);
        remote::WireSocket connection = connect(each.from);
        if (each.served) {
            EXPECT_EQ(exchange(connection, script).outFile, "out.txt") << server->output();
            continue;
        }
        char byte;
        EXPECT_LE(recv(connection.descriptor(), &byte, 1, 0), 0);
        EXPECT_TRUE(logged("refused: not on the allow-list")) << server->output();
    }
}

// Bad arguments and modules end the server before it listens (or `timeout` ends
// it), as does listening beyond loopback with no allow list or a range that
// does not mean what it says.
TEST_F(ZorServerTest, BadArgumentsAndAnOpenDoorWithoutAllowListEndItWithStatus2) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--load", ZOR_EMPTY_MODULE}, "registers no test function"},
        {{"--bind", "0.0.0.0"}, "0.0.0.0 is not a loopback address"},
        {{"--bind", "::"}, "--allow ADDRESS[/BITS]"},
        {{"--allow", "10.1.2.3/8"}, "did you mean 10.0.0.0/8?"},
        {{"--max-memory", "1"}, "--max-memory expects a number of bytes from 64M up"},
    };
    for (const auto& each : cases) {
        std::vector<std::string> argv{"/usr/bin/timeout", "10", ZORSERVER_PATH, "--port", "0"};
        argv.insert(argv.end(), each.args.begin(), each.args.end());
        const zorruntest::ChildResult result = zorruntest::runChild(argv);
        EXPECT_EQ(result.status, 2) << each.message;
        EXPECT_NE(result.err.find(each.message), std::string::npos) << result.err;
    }
}
