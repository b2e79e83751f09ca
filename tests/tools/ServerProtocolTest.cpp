// What ZorServer takes from a worker, its device and whom it lets in.
#include <gtest/gtest.h>

#include "AllowList.h"
#include "DevicePanel.h"
#include "WorkerMessage.h"
#include "WorkerStream.h"
#include "protocol/VerdictCodec.h"

// The worker's message is the one thing the server takes from a worker: it
// comes back whole, and anything cut, padded or out of bounds counts as none.
TEST(ServerProtocolTest, AWorkerMessageIsTakenOnlyWhenWhole) {
    zorserver::WorkerResult sent;
    sent.outFile = "out.txt";
    sent.errLine = 3;
    sent.errPos = -1;
    sent.errText = std::string("bad\0text", 8);
    sent.device = {"AB", 2, "key b"};
    const std::string message = zorserver::encodeWorkerResult(sent);
    const auto taken = zorserver::decodeWorkerResult(message);
    ASSERT_TRUE(taken);
    EXPECT_EQ(zorserver::encodeWorkerResult(*taken), message);

    zorserver::WorkerResult zeroInName;
    zeroInName.outFile = std::string("a\0b", 3);
    std::string longer = message;
    longer[4] = static_cast<char>(longer[4] + 1);
    const std::string bad[] = {
        "",
        message.substr(0, 6),
        message.substr(0, message.size() - 1),
        message + "x",
        longer + "x",
        "ZORX" + message.substr(4),
        zorserver::encodeWorkerResult(zeroInName),
    };
    for (const std::string& candidate : bad) EXPECT_FALSE(zorserver::decodeWorkerResult(candidate));
}

// A worker's device state that the panel could not show is refused whole.
TEST(ServerProtocolTest, TheDeviceTakesOnlyStatesItCanReach) {
    zorserver::DevicePanel panel;
    for (const zorserver::DeviceState& state :
         {zorserver::DeviceState{std::string(31, 'x'), -1, ""},
          {"a\nb", -1, ""},
          {"", 4, ""},
          {"", -2, ""}})
        EXPECT_FALSE(panel.setState(state)) << state.line << state.pressedButton;
    EXPECT_TRUE(panel.setState({"AB", 3, "CLR pressed (left)"}));
    EXPECT_EQ(panel.pressed(), "CLR");
}

TEST(AllowListTest, RangesAdmitTheirPeersAndMalformedOnesAreRefused) {
    const struct {
        const char* allowed;  // null: the loopback default
        const char* peer;
        bool admitted;
    } cases[] = {
        {nullptr, "10.0.0.1", false},
        {"10.0.0.0/9", "10.127.255.255", true},
        {"10.0.0.0/9", "10.128.0.0", false},
        {"0.0.0.0/0", "2001:db8::1", false},
        {"::/0", "203.0.113.5", true},
        {"2001:db8::/33", "2001:db8:7fff::1", true},
        {"2001:db8::/33", "2001:db8:8000::", false},
        {"::ffff:10.0.0.0/104", "10.9.9.9", true},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(std::string(each.allowed ? each.allowed : "default") + " " + each.peer);
        std::string reason;
        std::vector<zorserver::AddressRange> allowed(each.allowed ? 1 : 0);
        if (each.allowed) {
            ASSERT_TRUE(zorserver::parseAddressRange(each.allowed, allowed[0], reason));
        }
        zorserver::AddressRange peer;
        ASSERT_TRUE(zorserver::parseAddressRange(each.peer, peer, reason));
        EXPECT_EQ(zorserver::admits(allowed, peer.first), each.admitted);
    }
    for (const char* text : {"", "10.0.0.0/", "10.0.0.0/33", "::/129", "10.0.0.0/-1", "10.0.0.0/8x",
                             "10.0.0.1/8", "::1/64", "localhost", "[::1]"}) {
        zorserver::AddressRange range;
        std::string reason;
        EXPECT_FALSE(zorserver::parseAddressRange(text, range, reason)) << text;
        EXPECT_FALSE(reason.empty()) << text;
    }
}

// Frames are taken as they arrive, split anywhere; a verdict that does not
// read back, or bytes that start no frame, spoil the stream.
TEST(ServerProtocolTest, AWorkerStreamTakesSoundFramesOnly) {
    remote::RemoteVerdict started;
    started.name = "crash";
    started.position = 40;
    started.outcome = remote::VerdictOutcome::error;
    remote::RemoteVerdict judged = started;
    judged.name = "zortst";
    const std::string result = zorserver::encodeWorkerResult({});
    const std::string frames =
        zorserver::encodeFrame(zorserver::FrameKind::judged, remote::encodeVerdict(judged)) +
        zorserver::encodeFrame(zorserver::FrameKind::started, remote::encodeVerdict(started));
    zorserver::WorkerStream stream;
    for (const char byte : frames + result) stream.feed(std::string_view(&byte, 1));
    EXPECT_EQ(stream.state(), zorserver::WorkerStream::State::done);
    EXPECT_EQ(stream.result(), result);
    ASSERT_EQ(stream.judged().size(), 1U);
    EXPECT_EQ(stream.judged()[0].name, "zortst");
    ASSERT_TRUE(stream.running());
    EXPECT_EQ(stream.running()->name, "crash");

    const std::string bad[] = {
        zorserver::encodeFrame(zorserver::FrameKind::judged, "{\"name\":1}"),
        zorserver::encodeFrame(zorserver::FrameKind::runEnd, "[]"),
        "ZORQ" + frames.substr(4),
        frames + result + "x",
        frames.substr(0, 4) + std::string(4, '\xff'),
    };
    for (const std::string& bytes : bad) {
        zorserver::WorkerStream spoiled;
        EXPECT_EQ(spoiled.feed(bytes), zorserver::WorkerStream::State::damaged) << bytes;
    }
}
