// One exchange byte for byte against a scripted server on loopback: the
// request as it goes out, the reply as it is taken, and the output file.
#include <filesystem>

#include "ExchangeFixture.h"
#include "display/ColorRecord.h"
#include "display/ShapeRecords.h"
#include "display/TextRecord.h"

using namespace remotetest;
using zortest::readFile;
using zortest::writeFile;

using RemoteExchangeTest = ExchangeFixture;

TEST_F(RemoteExchangeTest, RequestAndReplyGoByteForByte) {
    Reply reply;
    reply.name = outFile;
    reply.file = "report\r\n";
    reply.blocks = {encoded(display::ColorRecord(1, 2, 3, 0), display::LineRecord(1, 2, 3, 4)),
                    encoded(display::TextRecord(5, 6, 1, "hi"))};
    reply.line = 3;
    reply.position = 17;
    reply.text = "syntax error in line 3\n";
    const remote::ExchangeReply result = answer(reply.bytes());

    // Depth 25 as "0000025", the empty filter as L = 1 and its zero byte.
    const std::string expected = std::string("TSTEXEC\0", 8) + std::string("0000000\0", 8) +
                                 std::string("0000025\0", 8) + std::string("0000005\0Root\0", 13) +
                                 std::string("0000007\0in.txt\0", 15) +
                                 std::string("0000014\0", 8) + script +
                                 std::string("0000001\0\0", 9) + std::string("TSTSTOP\0", 8);
    EXPECT_EQ(serverLog, expected);
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.outFile, outFile);
    EXPECT_EQ(readFile(outFile), "report\r\n");
    EXPECT_FALSE(std::filesystem::exists(outFile + "_"));
    EXPECT_EQ(result.errLine, 3);
    EXPECT_EQ(result.errPos, 17);
    EXPECT_EQ(result.errText, "syntax error in line 3\n");
    EXPECT_EQ(display.size(), 3u);
}

TEST_F(RemoteExchangeTest, FileLengthZeroLeavesTheOutputFileAlone) {
    writeFile(outFile, "former");
    Reply reply;
    reply.name = outFile;
    const remote::ExchangeReply result = answer(reply.bytes());
    EXPECT_EQ(result.outFile, outFile);
    EXPECT_EQ(readFile(outFile), "former");
    EXPECT_EQ(result.errLine, 0);
    EXPECT_EQ(result.errText, "");
}

TEST_F(RemoteExchangeTest, ShortPiecesAreGatheredIntoWholeElements) {
    Reply reply;
    reply.name = outFile;
    reply.file = std::string(1200, 'r');
    reply.blocks = {encoded(display::PointRecord(7, 8))};
    reply.line = 2;
    reply.text = "error\n";
    ScriptedServer server;
    server.receive(requestBytes().size()).sendInPieces(reply.bytes()).receive(8);
    const remote::ExchangeReply result = exchange(server);
    EXPECT_EQ(server.received(), requestBytes() + word("TSTSTOP"));
    EXPECT_EQ(readFile(outFile), reply.file);
    EXPECT_EQ(display.size(), 1u);
    EXPECT_EQ(result.errText, "error\n");
}

TEST_F(RemoteExchangeTest, AScriptBeyondTheLengthFieldIsNotSent) {
    const std::string huge(remote::maxScriptLength + 1, 'x');
    request.script = huge;
    ScriptedServer server;
    server.receiveToEnd();
    const remote::ExchangeReply result = exchange(server);
    EXPECT_FALSE(result.finished);
    EXPECT_EQ(result.errText, remote::scriptTooLongText);
    EXPECT_EQ(server.received(), "");
}
