// Servers that break the protocol: a connection that ends inside any element,
// lengths beyond the receive limits or below zero, and garbage in number
// fields. The client never reads past its buffers (the sanitizer build checks
// that), never leaves a cut output file, and stays in step where it can.
#include <filesystem>

#include "ExchangeFixture.h"
#include "ShapeRecords.h"

using namespace remotetest;
using zortest::readFile;
using zortest::writeFile;

namespace {

Reply fullReply(const std::string& outFile) {
    Reply reply;
    reply.name = outFile;
    reply.file = "report line\r\n";
    reply.blocks = {encoded(display::PointRecord(1, 2), display::LineRecord(1, 2, 3, 4)),
                    encoded(display::RectRecord(1, 2, 3, 4, 1))};
    reply.line = 2;
    reply.position = 9;
    reply.text = "error text\n";
    return reply;
}

}  // namespace

// The reply cut after every one of its bytes: the exchange is either aborted
// (inside the output name) or ends as a broken server; the output file holds
// either its former content or the whole new one, never a cut one; only whole
// blocks are decoded.
TEST_F(ExchangeFixture, AConnectionEndingInsideAnyElementNeverCutsTheOutputFile) {
    const Reply reply = fullReply(outFile);
    const std::string bytes = reply.bytes();
    const std::size_t nameEnd = 8 + outFile.size() + 1;
    const std::size_t fileEnd = nameEnd + 8 + reply.file.size();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        SCOPED_TRACE("cut after " + std::to_string(cut) + " bytes");
        writeFile(outFile, "former");
        display.clear();
        ScriptedServer server;
        server.receive(requestBytes().size()).send(bytes.substr(0, cut));
        const remote::ExchangeReply result = exchange(server);
        const bool insideName = cut >= 8 && cut < nameEnd;
        EXPECT_EQ(result.finished, !insideName);
        if (!insideName) {
            EXPECT_EQ(result.errLine, 1);
            EXPECT_EQ(result.errText, remote::brokenServerText);
        }
        const bool fileWhole = cut >= fileEnd;
        EXPECT_EQ(result.outFile, fileWhole ? outFile : "");
        EXPECT_EQ(readFile(outFile), fileWhole ? reply.file : "former");
        EXPECT_FALSE(std::filesystem::exists(outFile + "_"));
        EXPECT_TRUE(display.size() == 0 || display.size() == 2 || display.size() == 3);
    }
}

// A name beyond the receive limit (its bytes are received and dropped), or
// one that cannot be a file here, counts as none: its file is dropped too,
// and what follows is read in step.
TEST_F(ExchangeFixture, NamesThatCannotBeAFileCountAsNone) {
    for (const std::string& name :
         {std::string(299, 'n'), std::string(), std::string("bad\nname"), std::string("tab\tname"),
          dir.file(std::string(259 - dir.path().string().size() - 1, 'n'))}) {
        SCOPED_TRACE(name);
        const std::string reply =
            string(name) + counted("data") + number(0) + number(5) + number(6) + string("e\n");
        const remote::ExchangeReply result = answer(reply);
        EXPECT_TRUE(stoppedInStep());
        EXPECT_EQ(result.outFile, "");
        EXPECT_EQ(result.errLine, 5);
        std::error_code tooLong;
        EXPECT_FALSE(std::filesystem::exists(name + "_", tooLong));
    }
    const std::string longest = dir.file(std::string(258 - dir.path().string().size() - 1, 'n'));
    EXPECT_EQ(
        answer(string(longest) + counted("kept") + number(0) + number(0) + number(0) + number(0))
            .outFile,
        longest);
    EXPECT_EQ(readFile(longest), "kept");
}

TEST_F(ExchangeFixture, AnOverlongErrorTextKeepsItsFirst263Characters) {
    const std::string reply =
        number(0) + number(0) + number(0) + number(7) + number(1) + string(std::string(999, 'x'));
    const remote::ExchangeReply result = answer(reply);
    EXPECT_TRUE(stoppedInStep());
    EXPECT_EQ(result.errText, std::string(263, 'x'));
    EXPECT_EQ(result.errLine, 7);
}

// A block is decoded from its first 501 bytes; the rest is dropped and the
// next block is read in step.
TEST_F(ExchangeFixture, AnOverlongBlockIsDecodedFromItsFirstBytes) {
    std::string big;
    for (int i = 0; i < 50; ++i) big += encoded(display::PointRecord(i, i));  // 500 bytes
    big += std::string(1500, '0');
    const std::string reply = number(0) + number(0) + counted(big) +
                              counted(encoded(display::LineRecord(1, 1, 2, 2))) + number(0) +
                              number(0) + number(0) + number(0);
    const remote::ExchangeReply result = answer(reply);
    EXPECT_TRUE(stoppedInStep());
    EXPECT_EQ(display.size(), 51u);
    EXPECT_EQ(result.errLine, 0);
}

TEST_F(ExchangeFixture, NegativeLengthsCountAsNone) {
    const std::string reply =
        number(-5) + number(-1) + number(-3) + number(4) + number(2) + number(-7);
    const remote::ExchangeReply result = answer(reply);
    EXPECT_TRUE(stoppedInStep());
    EXPECT_EQ(result.outFile, "");
    EXPECT_EQ(result.errLine, 4);
    EXPECT_EQ(result.errPos, 2);
    EXPECT_EQ(result.errText, "");
}

// Garbage reads as the number it starts with, or 0; eight digits without a
// zero byte still read whole.
TEST_F(ExchangeFixture, GarbageInNumberFieldsReadsAsTheNumberItStartsWith) {
    const std::string reply = std::string("zzzzzzzz") + "00000004" + "data" +
                              "x\x01\x02\x03\x04\x05\x06\x07" + " 3abcdef" +
                              std::string("-0000001") + "00000003" + "ab";
    const remote::ExchangeReply result = answer(reply + std::string(1, '\0'));
    EXPECT_TRUE(stoppedInStep());
    EXPECT_EQ(result.outFile, "");
    EXPECT_EQ(result.errLine, 3);
    EXPECT_EQ(result.errPos, -1);
    EXPECT_EQ(result.errText, "ab");
}

// A length that announces more than ever comes ends as a broken server once
// the connection closes.
TEST_F(ExchangeFixture, AnnouncedBytesThatNeverComeEndAsABrokenServer) {
    for (const std::string& reply :
         {number(0) + "99999999" + "some", number(0) + number(0) + "99999999" + "0200",
          number(0) + number(0) + number(0) + number(1) + number(0) + "99999999"}) {
        ScriptedServer server;
        server.receive(requestBytes().size()).send(reply);
        const remote::ExchangeReply result = exchange(server);
        EXPECT_EQ(result.errText, remote::brokenServerText);
    }
}
