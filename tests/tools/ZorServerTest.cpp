// ZorServer run as a user runs it, in a folder of its own, and spoken to with
// the client's own exchange on loopback from another folder.
#include <gtest/gtest.h>
#include <linux/landlock.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <set>

#include "DeviceLine.h"
#include "ServerProcess.h"
#include "TempDir.h"
#include "ZorRunFixture.h"
#include "display/ColorRecord.h"
#include "display/DisplayList.h"
#include "display/ShapeRecords.h"
#include "protocol/ClientSocket.h"
#include "protocol/PortRule.h"
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

class ZorServerTest : public ::testing::Test {
protected:
    ZorServerTest() : previousDir(std::filesystem::current_path()) {
        std::filesystem::current_path(clientDir.path());
    }
    ~ZorServerTest() override { std::filesystem::current_path(previousDir); }

    void startServer(std::vector<std::string> args = {}, long maxFileSize = 0) {
        std::vector<std::string> argv{ZORSERVER_PATH, "--port", "0"};
        argv.insert(argv.end(), args.begin(), args.end());
        server =
            std::make_unique<zortest::ServerProcess>(argv, serverDir.path().string(), maxFileSize);
        ASSERT_TRUE(server->started()) << server->output();
    }
    remote::WireSocket connect() {
        remote::WireSocket connection;
        EXPECT_EQ(remote::openConnection("127.0.0.1", server->viewerPort(), connection), 1);
        return connection;
    }
    remote::ExchangeReply exchange(remote::WireSocket& connection, const std::string& text,
                                   const std::string& filter = "", bool send = true,
                                   const std::string& input = "in.txt") {
        remote::ExchangeRequest request;
        request.inputName = input;
        request.script = text;
        request.sendScript = send;
        request.filter = filter;
        CountingFiles files;
        display.clear();
        const remote::ExchangeReply reply =
            remote::runExchange(connection, request, display, files);
        receivedBytes = files.bytes;
        return reply;
    }
    std::string serverFile(const std::string& name) const { return readFile(serverDir.file(name)); }
    static std::string localName(const std::string& name) {
        return fs::path(name).filename().string();
    }

    zortest::TempDir serverDir;
    zortest::TempDir clientDir;
    std::filesystem::path previousDir;
    std::unique_ptr<zortest::ServerProcess> server;
    display::DisplayList display;
    // The output file's bytes that the last exchange brought.
    std::size_t receivedBytes = 0;
};

bool highlighted(const display::DisplayList& list, int left) {
    bool orange = false;
    for (const auto& record : list) {
        if (const auto* color = dynamic_cast<const display::ColorRecord*>(record.get()))
            orange = color->r == 255 && color->g == 170 && color->b == 60;
        const auto* rect = dynamic_cast<const display::RectRecord*>(record.get());
        if (rect && rect->filled && rect->x1 == left && rect->y1 == 112) return orange;
    }
    return false;
}

}  // namespace

TEST_F(ZorServerTest, RunsTheScriptAndSendsItsOutputFileAndPicture) {
    startServer();
    remote::WireSocket connection = connect();
    const remote::ExchangeReply reply = exchange(connection, script, "", true, "tests/../in.txt");
    EXPECT_TRUE(reply.finished);
    EXPECT_EQ(reply.outFile, "out.txt");
    EXPECT_EQ(readFile("out.txt"), serverFile("out.txt"));
    EXPECT_NE(readFile("out.txt").find("b == 3; [int b = 2] ERROR"), std::string::npos);
    EXPECT_EQ(serverFile("in.txt"), script);
    EXPECT_EQ(reply.errLine, 0);
    std::set<int> kinds;
    for (const auto& record : display) kinds.insert(record->kind());
    EXPECT_EQ(kinds, (std::set<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(ZorServerTest, LengthZeroRunsTheKeptScriptWithTheFilter) {
    startServer();
    remote::WireSocket connection = connect();
    exchange(connection, script);
    // Positions count each of the three earlier line breaks as one character.
    const std::size_t second = script.find("zortst { b") - 3;
    const remote::ExchangeReply reply =
        exchange(connection, "", "zortst0" + std::to_string(second), false);
    EXPECT_EQ(reply.outFile, "out.txt");
    const std::string report = readFile("out.txt");
    EXPECT_EQ(report.find("a == 1"), std::string::npos) << report;
    EXPECT_NE(report.find("b == 3"), std::string::npos) << report;
}

// Event records name no output file: they bring back none even after a run
// that named one, and the picture shows what they did.
TEST_F(ZorServerTest, EventRecordsDriveTheDevice) {
    startServer();
    remote::WireSocket connection = connect();
    exchange(connection, script);
    remote::ExchangeReply reply =
        exchange(connection, "buttonpress{x=40 y=120 button=0}", "", true, "xin.txt");
    EXPECT_EQ(reply.outFile, "");
    EXPECT_EQ(reply.errLine, 0);
    EXPECT_TRUE(highlighted(display, 32));
    EXPECT_EQ(zortest::deviceLine(display), "A");
    reply = exchange(connection, "keypress{x=40 y=120 key=\"z\"}", "", true, "xin.txt");
    EXPECT_EQ(zortest::deviceLine(display), "Az");
    reply = exchange(connection, "ongraphic{}", "", true, "xin.txt");
    EXPECT_EQ(zortest::deviceLine(display), "Az");
    EXPECT_TRUE(highlighted(display, 32));
}

// While one client is served, the next waits; pings get no answer.
TEST_F(ZorServerTest, ClientsAreServedOneAfterAnother) {
    startServer();
    auto first = std::make_unique<remote::WireSocket>(connect());
    first->sendWord(remote::pingWord1);
    first->sendWord(remote::pingWord2);
    EXPECT_EQ(exchange(*first, script).outFile, "out.txt");

    remote::WireSocket second = connect();
    display::DisplayList secondDisplay;
    auto waiting = std::async(std::launch::async, [&] {
        remote::ExchangeRequest request;
        request.inputName = "other.txt";
        request.script = "resultfile \"other_out.txt\"\r\nzortst { c = 3 }\r\n";
        remote::DiskReplyFiles files;
        return remote::runExchange(second, request, secondDisplay, files);
    });
    EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    first.reset();
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(waiting.get().outFile, "other_out.txt");
}

TEST_F(ZorServerTest, BadArgumentsAndModulesEndItWithStatus2) {
    const zorruntest::ChildResult bad = zorruntest::runChild({ZORSERVER_PATH, "--port", "70000"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--port expects a number"), std::string::npos);
    const zorruntest::ChildResult module =
        zorruntest::runChild({ZORSERVER_PATH, "--port", "0", "--load", ZOR_EMPTY_MODULE});
    EXPECT_EQ(module.status, 2);
    EXPECT_NE(module.err.find("registers no test function"), std::string::npos);
}

namespace {

const std::string outsideFolderText = "file outside the server's folder: ";

// Every entry beneath the folder: a file's content, a link's target.
std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        const std::string name = entry.path().lexically_relative(dir).string();
        if (entry.is_symlink()) {
            entries[name] = "-> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_regular_file()) {
            entries[name] = readFile(entry.path().string());
        } else {
            entries[name] = "<folder>";
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
        std::error_code ignored;
        fs::remove(serverDir.path() / "linkOut", ignored);
        fs::remove(serverDir.path() / "dirLink", ignored);
        fs::create_symlink(outsideDir.path() / "victim.txt", serverDir.path() / "linkOut");
        fs::create_directory_symlink(outsideDir.path(), serverDir.path() / "dirLink");
    }
    // Names that lead out of the server's folder.
    std::vector<std::string> namesOut() const {
        const std::string victim = outsideDir.file("victim.txt");
        return {victim, "../" + outsideDir.path().filename().string() + "/victim.txt", "linkOut",
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

bool landlockAvailable() {
    return syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION) >= 1;
}

}  // namespace

// Output files, deleted files and kept scripts named by a way out are refused
// as a script error on line 1; nothing outside changes, and no byte of a file
// outside comes back.
TEST_F(ConfinedServerTest, NamesThatLeadOutAreRefused) {
    startServer();
    remote::WireSocket connection = connect();
    for (const std::string& name : namesOut()) {
        SCOPED_TRACE(name);
        plantLinks();
        const std::string refused = outsideFolderText + name;
        remote::ExchangeReply reply =
            exchange(connection, "resultfile \"" + name + "\"\r\nzortst { a = 1 }\r\n");
        EXPECT_EQ(reply.errLine, 1);
        EXPECT_EQ(reply.errText, refused);
        EXPECT_EQ(receivedBytes, 0u);
        reply = exchange(connection, "deletefile \"" + name + "\"\r\n");
        // A link in the folder is a name in the folder: deleting it removes
        // the link alone.
        EXPECT_EQ(reply.errLine, name == "linkOut" ? 0 : 1);
        if (name != "linkOut") {
            EXPECT_EQ(reply.errText, refused);
        }
        EXPECT_EQ(snapshot(outsideDir.path()), before);
    }
}

// A script is stored under the last component of its name, in place of a
// link there; a kept script that is a link out is not read; a planted
// temporary file is never written through.
TEST_F(ConfinedServerTest, ScriptsAreStoredAndReadInsideTheFolder) {
    startServer();
    remote::WireSocket connection = connect();
    const std::string text = "zortst { a = 1 }\r\n";
    for (const std::string& name : namesOut()) {
        SCOPED_TRACE(name);
        plantLinks();
        fs::create_symlink(outsideDir.path() / "victim.txt", serverDir.path() / "in.txt.part");
        EXPECT_EQ(exchange(connection, text, "", true, name).errLine, 0);
        EXPECT_EQ(exchange(connection, text).errLine, 0);
        EXPECT_EQ(serverFile(localName(name)), text);
        EXPECT_EQ(serverFile("in.txt"), text);
        EXPECT_FALSE(fs::exists(serverDir.path() / "in.txt.part"));
        EXPECT_EQ(snapshot(outsideDir.path()), before);
    }
    plantLinks();
    const remote::ExchangeReply kept = exchange(connection, "", "", false, "linkOut");
    EXPECT_EQ(kept.errLine, 1);
    EXPECT_EQ(kept.errText, outsideFolderText + "linkOut");
}

// The kernel's wall holds for a module's own functions, which the library's
// guard does not see.
TEST_F(ConfinedServerTest, ModuleFunctionsCreateFilesInsideTheFolderOnly) {
    if (!landlockAvailable()) GTEST_SKIP() << "the kernel offers no Landlock";
    startServer({"--load", ZOR_FAULTS_MODULE});
    remote::WireSocket connection = connect();
    const std::string outside = outsideDir.file("new.txt");
    exchange(connection,
             "touch { path = \"" + outside + "\" }\r\ntouch { path = \"new.txt\" }\r\n");
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_TRUE(fs::exists(serverDir.path() / "new.txt"));
}

// Each fault ends its own exchange: the next one is served, and the device
// keeps the state that earlier exchanges gave it.
TEST_F(ZorServerTest, AFaultInATestFunctionEndsItsExchangeOnly) {
    startServer({"--load", ZOR_FAULTS_MODULE, "--run-timeout", "1", "--max-memory", "256M"});
    remote::WireSocket connection = connect();
    exchange(connection, "buttonpress{x=40 y=120 button=0}", "", true, "xin.txt");
    const struct {
        const char* test;
        const char* error;  // null: a failed test rather than an error
    } faults[] = {
        {"crash", "test function crashed: SIGSEGV"},
        {"throwing", nullptr},
        {"quit", "test function exited with status 0"},
        {"hang", "run timed out after 1 s"},
        {"hog", nullptr},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.test);
        // A sanitizer's shadow memory is larger than any bound, so its builds
        // run the worker unbounded.
        if (sanitized && fault.test == std::string("hog")) continue;
        const remote::ExchangeReply failed = exchange(
            connection, "resultfile \"out.txt\"\r\n" + std::string(fault.test) + " { }\r\n");
        EXPECT_TRUE(failed.finished);
        if (fault.error) {
            EXPECT_EQ(failed.errLine, 1);
            EXPECT_EQ(failed.errText, fault.error);
            EXPECT_EQ(failed.outFile, "");
        } else {  // the callback catches what a function throws: the test fails
            EXPECT_EQ(failed.errLine, 0);
            EXPECT_EQ(failed.outFile, "out.txt");
            EXPECT_NE(zortest::readFile((serverDir.path() / "out.txt").string())
                          .find("test function threw: "),
                      std::string::npos);
        }
        const remote::ExchangeReply next = exchange(connection, script);
        EXPECT_EQ(next.errLine, 0);
        EXPECT_EQ(next.outFile, "out.txt");
    }
    exchange(connection, "ongraphic{}", "", true, "xin.txt");
    EXPECT_EQ(zortest::deviceLine(display), "A");
}

// A script that cannot be stored runs not at all; the error says why.
TEST_F(ZorServerTest, ScriptsBeyondTheStoreLimitsAreRefused) {
    startServer({"--max-scripts", "2"});
    fs::create_directory(serverDir.path() / "dir.txt");
    remote::WireSocket connection = connect();
    const struct {
        const char* name;
        const char* error;
    } sends[] = {
        {"dir.txt", "cannot store the script in dir.txt: Is a directory"},
        {"a.txt", ""},
        {"b.txt", ""},
        {"c.txt", "too many stored scripts (the limit is 2): c.txt not stored"},
        {"a.txt", ""},
    };
    for (const auto& send : sends) {
        SCOPED_TRACE(send.name);
        const remote::ExchangeReply reply = exchange(connection, script, "", true, send.name);
        EXPECT_EQ(reply.errText, send.error);
        EXPECT_EQ(reply.errLine, send.error[0] ? 1 : 0);
        EXPECT_EQ(reply.outFile, send.error[0] ? "" : "out.txt");
    }
    EXPECT_FALSE(fs::exists(serverDir.path() / "c.txt"));
}

// A script beyond the client's own limit is taken off the stream and refused,
// and the connection stays in step for the next exchange.
TEST_F(ZorServerTest, AScriptLongerThanTheClientsLimitIsRefused) {
    startServer();
    remote::WireSocket connection = connect();
    const std::string huge(10'000'000, ' ');
    connection.sendWord(remote::execWord);
    for (const int number : {0, 0}) connection.sendNumber(number);
    connection.sendString("");
    connection.sendString("huge.txt");
    connection.sendNumber(static_cast<int>(huge.size()));
    connection.send(huge.data(), huge.size());
    connection.sendString("");
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
    EXPECT_EQ(exchange(connection, script).outFile, "out.txt");
}

// With the server's files bounded as a full disk bounds them: a script that
// cannot be stored leaves the kept one unrun, and a report that is cut is an
// error, not a result.
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

TEST_F(ZorServerTest, AnOutputFileTooLargeToAnnounceIsAnError) {
    startServer({"--max-send-bytes", "100"});
    remote::WireSocket connection = connect();
    const remote::ExchangeReply reply = exchange(connection, script);
    const std::size_t size = serverFile("out.txt").size();
    ASSERT_GT(size, 100u);
    EXPECT_EQ(reply.errLine, 1);
    EXPECT_EQ(reply.errText, "output file too large to send (" + std::to_string(size) + " bytes)");
    EXPECT_EQ(receivedBytes, 0u);
}
