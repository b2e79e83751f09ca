// ZorServer run as a user runs it, in a folder of its own, and spoken to with
// the client's own exchange on loopback from another folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <set>

#include "ClientSocket.h"
#include "ColorRecord.h"
#include "DisplayList.h"
#include "PortRule.h"
#include "RemoteExchange.h"
#include "ServerProcess.h"
#include "ShapeRecords.h"
#include "TempDir.h"
#include "TextRecord.h"
#include "ZorRunFixture.h"

using zortest::readFile;

namespace {

const std::string script =
    "deletefile \"out.txt\"\r\n"
    "resultfile \"out.txt\"\r\n"
    "zortst { a = 1 verify: a == 1 }\r\n"
    "zortst { b = 2 verify: b == 3 }\r\n";

class ZorServerTest : public ::testing::Test {
protected:
    ZorServerTest() : previousDir(std::filesystem::current_path()) {
        std::filesystem::current_path(clientDir.path());
    }
    ~ZorServerTest() override { std::filesystem::current_path(previousDir); }

    void startServer(std::vector<std::string> args = {}) {
        std::vector<std::string> argv{ZORSERVER_PATH, "--port", "0"};
        argv.insert(argv.end(), args.begin(), args.end());
        server = std::make_unique<zortest::ServerProcess>(argv, serverDir.path().string());
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
        remote::DiskReplyFiles files;
        display.clear();
        return remote::runExchange(connection, request, display, files);
    }
    std::string serverFile(const std::string& name) const { return readFile(serverDir.file(name)); }

    zortest::TempDir serverDir;
    zortest::TempDir clientDir;
    std::filesystem::path previousDir;
    std::unique_ptr<zortest::ServerProcess> server;
    display::DisplayList display;
};

// The text record in the device's text line, or "<none>".
std::string deviceLine(const display::DisplayList& list) {
    for (const auto& record : list) {
        const auto* text = dynamic_cast<const display::TextRecord*>(record.get());
        if (text && text->font == 1 && text->y == 84) return text->text;
    }
    return "<none>";
}

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
    EXPECT_EQ(deviceLine(display), "A");
    reply = exchange(connection, "keypress{x=40 y=120 key=\"z\"}", "", true, "xin.txt");
    EXPECT_EQ(deviceLine(display), "Az");
    reply = exchange(connection, "ongraphic{}", "", true, "xin.txt");
    EXPECT_EQ(deviceLine(display), "Az");
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
