// Verdicts from a test server: only a client that asks hears of them, a server
// without them is told apart at once, and a reply whose verdicts are not
// sound never reads as a pass.
#include <chrono>

#include "ExchangeFixture.h"
#include "display/ShapeRecords.h"
#include "protocol/VerdictCodec.h"

using namespace remote;
using namespace remotetest;

using RemoteVerdictsTest = ExchangeFixture;

namespace {

RemoteVerdict verdict(const std::string& name, VerdictOutcome outcome) {
    RemoteVerdict made;
    made.name = name;
    made.position = 7;
    made.line = 2;
    made.outcome = outcome;
    made.seconds = 0.25;
    made.outFile = "out.txt";
    if (outcome != VerdictOutcome::passed) made.entries = {{"status == 200", "404"}};
    if (outcome == VerdictOutcome::error) made.reason = "test function crashed: SIGSEGV";
    return made;
}

bool operator==(const RemoteVerdict& a, const RemoteVerdict& b) {
    return encodeVerdict(a) == encodeVerdict(b);
}

std::string askingRequest(std::string bytes) {
    return bytes.replace(fieldSize, fieldSize, number(verdictsWish));
}

const std::string point = encoded(display::PointRecord(1, 2));

}  // namespace

// The leading number is all that differs; a server that sends no verdicts
// leaves them unsent, and the exchange ends as soon as the reply did.
TEST_F(RemoteVerdictsTest, OnlyTheWishDiffersAndAServerWithoutVerdictsIsToldApartAtOnce) {
    request.wantVerdicts = true;
    ScriptedServer server;
    server.receive(requestBytes().size()).send(reply(outFile, "x", {point})).receive(8).pause(1500);
    const auto start = std::chrono::steady_clock::now();
    const ExchangeReply result = exchange(server);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_TRUE(result.finished);
    EXPECT_FALSE(result.verdictsSent);
    EXPECT_EQ(display.size(), 1U);
    EXPECT_EQ(server.received(), askingRequest(requestBytes()) + word("TSTSTOP"));
}

// Verdicts spread over several blocks come back whole, before the display
// blocks that follow them, texts with control characters included.
TEST_F(RemoteVerdictsTest, VerdictsComeBackWholeBesideTheDisplay) {
    request.wantVerdicts = true;
    std::vector<RemoteVerdict> sent;
    for (int index = 0; index < 300; ++index)
        sent.push_back(verdict("t" + std::to_string(index) + std::string(400, 'x'),
                               static_cast<VerdictOutcome>(index % 3)));
    sent[1].entries[0].actual = "\"a\r\n}\"";
    RemoteRunEnd end{true, 4, 0, 0, "", 0};
    std::vector<std::string> blocks = verdictBlocks(sent, end);
    ASSERT_GT(blocks.size(), 1U);
    blocks.push_back(point);
    const ExchangeReply result = answer(reply(outFile, "x", blocks));
    ASSERT_TRUE(result.verdictsSent);
    ASSERT_EQ(result.verdicts.size(), sent.size());
    for (std::size_t index = 0; index < sent.size(); ++index)
        EXPECT_TRUE(result.verdicts[index] == sent[index]) << index;
    EXPECT_EQ(result.runEnd.code, 4);
    EXPECT_EQ(display.size(), 1U);
    EXPECT_EQ(serverLog, askingRequest(requestBytes()) + word("TSTSTOP"));
}

// Each of these ends as a broken server with the connection closed.
TEST_F(RemoteVerdictsTest, UnsoundVerdictsMakeTheExchangeBroken) {
    request.wantVerdicts = true;
    const std::string tag(verdictTag);
    const std::string good = R"({"name":"t","position":0,"line":1,"outcome":"passed","reason":"",)"
                             R"("entries":[],"seconds":0,"outFile":""})";
    const std::string end =
        R"("end":{"returned":true,"code":0,"errLine":0,"errPos":0,"errText":"","dropped":0})";
    const auto withTest = [&](const std::string& test) {
        return counted(tag + "{\"tests\":[" + test + "]," + end + "}");
    };
    const std::string replies[] = {
        counted(tag + "not json"),
        counted(tag + "{\"tests\":[" + good + "]}"),  // no end
        withTest(good) + counted(tag + "{\"tests\":[]}"),
        withTest(std::string(good).replace(good.find("\"line\":1"), 8, "\"line\":\"1\"")),
        withTest(std::string(good).replace(good.find("\"t\""), 3,
                                           "\"" + std::string(maxNameBytes + 1, 'n') + "\"")),
        withTest(std::string(good).replace(good.find("\"seconds\":0"), 11, "\"seconds\":-1")),
        // Announced beyond the bound: refused before its bytes are waited for.
        number(static_cast<int>(tag.size() + maxVerdictBlockBytes + 1)) + tag,
    };
    for (const std::string& verdicts : replies) {
        SCOPED_TRACE(verdicts.substr(0, 120));
        std::string wire =
            number(0) + counted("") + verdicts + number(0) + number(0) + number(0) + number(0);
        const ExchangeReply result = answer(wire);
        EXPECT_FALSE(result.finished || result.verdictsSent || connectionOpen);
        EXPECT_TRUE(result.verdicts.empty());
        EXPECT_EQ(result.errText, brokenServerText);
    }
}

// A client that did not ask takes such a block for display data, which
// decodes to nothing: it never reads verdicts it did not ask for.
TEST_F(RemoteVerdictsTest, AClientThatDidNotAskNeverReadsVerdicts) {
    const std::vector<std::string> blocks =
        verdictBlocks({verdict("t", VerdictOutcome::passed)}, {});
    const ExchangeReply result = answer(reply(outFile, "x", blocks));
    EXPECT_FALSE(result.verdictsSent);
    EXPECT_TRUE(result.verdicts.empty());
    EXPECT_EQ(display.size(), 0U);
}

// Texts are cut to their bounds on a character's start, and bytes that are
// not UTF-8 become U+FFFD, so that every verdict a server bounds can be sent
// and read back; keys a reader does not know are passed over.
TEST(VerdictCodecTest, BoundedVerdictsAlwaysReadBack) {
    RemoteVerdict big = verdict("n\xff" + std::string(maxNameBytes, 'n'), VerdictOutcome::failed);
    big.reason = std::string(maxReasonBytes - 1, 'r') + "\xc3\xa9";
    big.entries.assign(maxEntries + 5, {std::string(2000, '\x01'), std::string(2000, '\xfe')});
    boundVerdict(big);
    EXPECT_EQ(big.name.substr(0, 4), "n\xef\xbf\xbd");
    EXPECT_EQ(big.name.size(), maxNameBytes);
    EXPECT_EQ(big.reason, std::string(maxReasonBytes - 1, 'r'));
    EXPECT_EQ(big.entries.size(), maxEntries);
    EXPECT_EQ(big.entries[0].actual.size(), maxEntryBytes - maxEntryBytes % 3);
    const std::string text = encodeVerdict(big);
    EXPECT_LT(text.size(), maxVerdictBytes);
    const std::optional<RemoteVerdict> back = decodeVerdict(text);
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == big);

    const std::string extended =
        "{\"tags\":[1]," + encodeVerdict(verdict("t", VerdictOutcome::error)).substr(1);
    const std::optional<RemoteVerdict> later = decodeVerdict(extended);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->reason, "test function crashed: SIGSEGV");
}
