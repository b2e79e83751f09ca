// ZorServer's door, run as a user runs it on loopback: whom it lets in, how it
// frees itself from clients that keep it waiting, and what of theirs reaches
// its log.
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "AllowList.h"
#include "ScriptedServer.h"
#include "ServerProcess.h"
#include "TempDir.h"
#include "ZorRunFixture.h"
#include "protocol/RemoteExchange.h"

namespace {

using namespace std::chrono_literals;

const std::string script =
    "deletefile \"out.txt\"\r\n"
    "resultfile \"out.txt\"\r\n"
    "zortst { a = 1 verify: a == 1 }\r\n";

// A bound on every wait, so that a server that never lets go fails the test
// instead of hanging it.
constexpr timeval patience{15, 0};

// Connects from the loopback address of the family to the server's TCP port.
// A small receive buffer makes a reply that is not read fill the way soon.
remote::WireSocket connectTo(const std::string& loopback, int tcpPort, int receiveBuffer = 0) {
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(loopback.c_str(), std::to_string(tcpPort).c_str(), &hints, &found) != 0)
        return remote::WireSocket();
    remote::WireSocket connection(socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int fd = connection.descriptor();
    if (receiveBuffer > 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    EXPECT_EQ(connect(fd, found->ai_addr, found->ai_addrlen), 0) << loopback;
    freeaddrinfo(found);
    return connection;
}

// Machines without IPv6 have no ::1 to test on.
bool hasIpv6Loopback() {
    const int fd = socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    const bool bound =
        fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) close(fd);
    return bound;
}

// The bytes of a whole request: the script, run as in.txt, without a filter.
std::string requestBytes(const std::string& scriptText) {
    return remotetest::request(0, "", "in.txt", &scriptText, "");
}

class ZorServerDoorTest : public ::testing::Test {
protected:
    ZorServerDoorTest() : previousDir(std::filesystem::current_path()) {
        std::filesystem::current_path(clientDir.path());
    }
    ~ZorServerDoorTest() override { std::filesystem::current_path(previousDir); }

    void startServer(std::vector<std::string> args) {
        args.insert(args.begin(), {ZORSERVER_PATH, "--port", "0"});
        server = std::make_unique<zortest::ServerProcess>(args, serverDir.path().string());
        ASSERT_TRUE(server->started()) << server->output();
    }
    remote::WireSocket connectFrom(const std::string& loopback, int receiveBuffer = 0) {
        return connectTo(loopback, server->tcpPort(), receiveBuffer);
    }
    remote::ExchangeReply exchange(remote::WireSocket& connection, const std::string& filter = "") {
        remote::ExchangeRequest request;
        request.inputName = "in.txt";
        request.script = script;
        request.filter = filter;
        remote::DiskReplyFiles files;
        return remote::runExchange(connection, request, display, files);
    }
    bool logged(const std::string& text) const {
        return server->output().find(text) != std::string::npos;
    }

    zortest::TempDir serverDir;
    zortest::TempDir clientDir;
    std::filesystem::path previousDir;
    std::unique_ptr<zortest::ServerProcess> server;
    display::DisplayList display;
};

}  // namespace

// Each way of keeping the server waiting is cut off after the idle time-out,
// and the client queued behind it is served (within the patience bound).
TEST_F(ZorServerDoorTest, ClientsThatKeepTheServerWaitingAreClosed) {
    const std::string bigRun = "resultfile \"big.txt\"\r\nzortst { a = 1 }\r\n";
    const struct {
        const char* name;
        std::string sent;
        const char* closed;
    } cases[] = {
        {"sends nothing", "", "idle for 1 s"},
        {"stops inside a command word", "TST", "request stalled for 1 s"},
        {"stops inside the script", requestBytes(script).substr(0, 70), "request stalled for 1 s"},
        {"stops reading the reply", requestBytes(bigRun), "reply not read for 1 s"},
    };
    zortest::writeFile(serverDir.file("big.txt"), std::string(9 << 20, 'x'));
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        startServer({"--idle-timeout", "1"});
        remote::WireSocket stalling = connectFrom("127.0.0.1", 4096);
        stalling.send(each.sent.data(), each.sent.size());
        remote::WireSocket honest = connectFrom("127.0.0.1");
        EXPECT_EQ(exchange(honest).outFile, "out.txt");
        EXPECT_TRUE(logged(std::string("closed: ") + each.closed)) << server->output();
    }
}

// A viewer pings every 2 s and keeps its session however long it stays.
TEST_F(ZorServerDoorTest, PingsKeepTheConnectionPastTheIdleTimeout) {
    startServer({"--idle-timeout", "3"});
    remote::WireSocket connection = connectFrom("127.0.0.1");
    for (int tick = 0; tick < 14; ++tick) {
        std::this_thread::sleep_for(300ms);
        connection.sendWord(tick % 2 ? remote::pingWord2 : remote::pingWord1);
    }
    EXPECT_EQ(exchange(connection).outFile, "out.txt");
    EXPECT_FALSE(logged("closed:")) << server->output();
}

// An --allow list replaces the loopback default; an IPv4 range does not
// cover IPv6 peers on a dual-stack socket.
TEST_F(ZorServerDoorTest, OnlyClientsOnTheAllowListAreServed) {
    const struct {
        std::vector<std::string> args;
        const char* from;
        bool served;
    } cases[] = {
        {{}, "127.0.0.1", true},
        {{"--allow", "10.0.0.0/8"}, "127.0.0.1", false},
        {{"--allow", "10.0.0.0/8", "--allow", "127.0.0.0/8"}, "127.0.0.1", true},
        {{"--bind", "::1"}, "::1", true},
        {{"--bind", "::", "--allow", "0.0.0.0/0"}, "127.0.0.1", true},
        {{"--bind", "::", "--allow", "0.0.0.0/0"}, "::1", false},
    };
    const bool ipv6 = hasIpv6Loopback();
    for (const auto& each : cases) {
        SCOPED_TRACE(testing::PrintToString(each.args) + " from " + each.from);
        if (!ipv6 && each.args.size() > 1 && each.args[1].find(':') != std::string::npos) continue;
        startServer(each.args);
        remote::WireSocket connection = connectFrom(each.from);
        if (each.served) {
            EXPECT_EQ(exchange(connection).outFile, "out.txt") << server->output();
            continue;
        }
        char byte;
        EXPECT_LE(recv(connection.descriptor(), &byte, 1, 0), 0);
        EXPECT_TRUE(logged("refused: not on the allow-list")) << server->output();
    }
}

// Listening beyond loopback without a list of who may connect, or with a
// range that does not mean what it says, ends the server before it listens
// (or `timeout` ends it).
TEST_F(ZorServerDoorTest, AnOpenDoorNeedsAnAllowList) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--bind", "0.0.0.0"}, "0.0.0.0 is not a loopback address"},
        {{"--bind", "::"}, "--allow ADDRESS[/BITS]"},
        {{"--allow", "10.1.2.3/8"}, "did you mean 10.0.0.0/8?"},
    };
    for (const auto& each : cases) {
        std::vector<std::string> argv{"/usr/bin/timeout", "10", ZORSERVER_PATH, "--port", "0"};
        argv.insert(argv.end(), each.args.begin(), each.args.end());
        const zorruntest::ChildResult result = zorruntest::runChild(argv);
        EXPECT_EQ(result.status, 2) << each.message;
        EXPECT_NE(result.err.find(each.message), std::string::npos) << result.err;
    }
}

TEST_F(ZorServerDoorTest, ControlCharactersFromClientsAreEscapedInTheLog) {
    startServer({});
    remote::WireSocket connection = connectFrom("127.0.0.1");
    exchange(connection, "t\x1b]0;owned\a\nZorServer: forged \\ \xc2\x9b \xc3\xa9");
    connection.close();
    // The client has gone once the server logs so.
    for (int wait = 0; wait < 1000 && !logged("disconnected"); ++wait)
        std::this_thread::sleep_for(10ms);
    const std::string log = server->output();
    EXPECT_NE(log.find("filter 't\\x1b]0;owned\\x07\\nZorServer: forged \\\\ \\u009b \xc3\xa9'"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find_first_of("\x1b\a"), std::string::npos);
}

TEST(AllowListTest, RangesAdmitTheirPeers) {
    const struct {
        std::vector<std::string> allowed;
        const char* peer;
        bool admitted;
    } cases[] = {
        {{}, "127.0.0.1", true},
        {{}, "::1", true},
        {{}, "10.0.0.1", false},
        {{}, "::2", false},
        {{"10.0.0.0/9"}, "10.127.255.255", true},
        {{"10.0.0.0/9"}, "10.128.0.0", false},
        {{"192.168.1.7"}, "192.168.1.7", true},
        {{"0.0.0.0/0"}, "203.0.113.5", true},
        {{"0.0.0.0/0"}, "2001:db8::1", false},
        {{"::/0"}, "203.0.113.5", true},
        {{"2001:db8::/33"}, "2001:db8:7fff::1", true},
        {{"2001:db8::/33"}, "2001:db8:8000::", false},
        {{"::ffff:10.0.0.0/104"}, "10.9.9.9", true},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(testing::PrintToString(each.allowed) + " " + each.peer);
        std::vector<zorserver::AddressRange> allowed;
        for (const std::string& text : each.allowed) {
            zorserver::AddressRange range;
            std::string reason;
            ASSERT_TRUE(zorserver::parseAddressRange(text, range, reason)) << reason;
            allowed.push_back(range);
        }
        zorserver::AddressRange peer;
        std::string reason;
        ASSERT_TRUE(zorserver::parseAddressRange(each.peer, peer, reason));
        EXPECT_EQ(zorserver::admits(allowed, peer.first), each.admitted);
    }
}

TEST(AllowListTest, MalformedRangesAreRefused) {
    for (const char* text : {"", "10.0.0.0/", "10.0.0.0/33", "::/129", "10.0.0.0/-1", "10.0.0.0/8x",
                             "10.0.0.1/8", "::1/64", "localhost", "[::1]"}) {
        zorserver::AddressRange range;
        std::string reason;
        EXPECT_FALSE(zorserver::parseAddressRange(text, range, reason)) << text;
        EXPECT_FALSE(reason.empty()) << text;
    }
}
