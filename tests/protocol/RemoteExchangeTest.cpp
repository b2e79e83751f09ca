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

// The reply comes one byte at a time, so that every element is gathered from
// short receives; the file spans several chunks.
TEST_F(RemoteExchangeTest, RequestAndReplyGoByteForByte) {
    const Reply reply{outFile,
                      std::string(1200, 'r') + "\r\n",
                      {encoded(display::ColorRecord(1, 2, 3, 0), display::LineRecord(1, 2, 3, 4)),
                       encoded(display::TextRecord(5, 6, 1, "hi"))},
                      3,
                      17,
                      "syntax error in line 3\n"};
    ScriptedServer server;
    server.receive(requestBytes().size()).sendInPieces(reply.bytes()).receive(8);
    const remote::ExchangeReply result = exchange(server);

    // Depth 25 as "0000025", the empty filter as L = 1 and its zero byte.
    const std::string expected = std::string("TSTEXEC\0", 8) + std::string("0000000\0", 8) +
                                 std::string("0000025\0", 8) + std::string("0000005\0Root\0", 13) +
                                 std::string("0000007\0in.txt\0", 15) +
                                 std::string("0000014\0", 8) + script +
                                 std::string("0000001\0\0", 9) + std::string("TSTSTOP\0", 8);
    EXPECT_EQ(server.received(), expected);
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.outFile, outFile);
    EXPECT_TRUE(result.outFileReceived);
    EXPECT_EQ(readFile(outFile), reply.file);
    EXPECT_FALSE(std::filesystem::exists(outFile + "_"));
    EXPECT_EQ(result.errLine, 3);
    EXPECT_EQ(result.errPos, 17);
    EXPECT_EQ(result.errText, "syntax error in line 3\n");
    EXPECT_EQ(display.size(), 3u);
}

TEST_F(RemoteExchangeTest, FileLengthZeroLeavesTheOutputFileAlone) {
    writeFile(outFile, "former");
    const remote::ExchangeReply result = answer(Reply{.name = outFile}.bytes());
    EXPECT_EQ(result.outFile, outFile);
    EXPECT_FALSE(result.outFileReceived);
    EXPECT_EQ(readFile(outFile), "former");
    EXPECT_EQ(result.errText, "");
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
