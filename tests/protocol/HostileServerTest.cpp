// Servers that break the protocol: a connection that ends inside any element,
// lengths beyond the receive limits or below zero, and garbage in number
// fields. The client never reads past its buffers (the sanitizer build checks
// that), never leaves a cut output file, and stays in step where it can.
#include <filesystem>

#include "ExchangeFixture.h"
#include "display/ShapeRecords.h"

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

using HostileServerTest = ExchangeFixture;

// The reply cut after every one of its bytes: the exchange is either aborted
// (inside the output name) or ends as a broken server; the output file holds
// either its former content or the whole new one, never a cut one; only whole
// blocks are decoded.
TEST_F(HostileServerTest, AConnectionEndingInsideAnyElementNeverCutsTheOutputFile) {
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
TEST_F(HostileServerTest, NamesThatCannotBeAFileCountAsNone) {
    std::filesystem::create_directory("sub");
    for (const std::string& name :
         {std::string(299, 'n'), std::string(), std::string("bad\nname"), std::string("tab\tname"),
          "sub/" + std::string(255, 'n'), std::string("no-such-folder/out.txt")}) {
        SCOPED_TRACE(name);
        const std::string reply =
            string(name) + counted("data") + number(0) + number(5) + number(6) + string("e\n");
        const remote::ExchangeReply result = answer(reply);
        EXPECT_TRUE(stoppedInStep());
        EXPECT_EQ(result.outFile, "");
        EXPECT_EQ(result.outsideName, "");
        EXPECT_EQ(result.errLine, 5);
        std::error_code tooLong;
        EXPECT_FALSE(std::filesystem::exists(name + "_", tooLong));
    }
    const std::string longest = "sub/" + std::string(254, 'n');
    EXPECT_EQ(
        answer(string(longest) + counted("kept") + number(0) + number(0) + number(0) + number(0))
            .outFile,
        longest);
    EXPECT_EQ(readFile(longest), "kept");
}

// The server's name for the output file is taken only beneath the current
// folder ("work"), and never for the script being sent, however the name or a
// link on its way tries to lead elsewhere. A refused name counts as none, its
// bytes are received and dropped, and nothing outside changes.
TEST_F(HostileServerTest, NamesLeadingOutOfTheFolderOrToTheScriptAreRefused) {
    namespace fs = std::filesystem;
    const fs::path outside = dir.path() / "outside";
    fs::create_directories(outside);
    fs::create_directories("work/sub");
    writeFile((outside / "victim.txt").string(), "victim");
    fs::current_path("work");
    writeFile("in.txt", script);
    fs::create_symlink("../outside/victim.txt", "climbing.txt");
    fs::create_symlink(outside / "victim.txt", "absolute.txt");
    fs::create_symlink("../outside", "up");
    fs::create_symlink("../outside/victim.txt", "planted.txt_");
    fs::create_hard_link("in.txt", "hard.txt");
    fs::create_symlink("in.txt", "alias.txt");
    for (const std::string& name :
         {(outside / "victim.txt").string(), std::string("../outside/victim.txt"),
          std::string("sub/../../outside/victim.txt"), std::string("climbing.txt"),
          std::string("absolute.txt"), std::string("up/victim.txt"), std::string("planted.txt"),
          std::string("in.txt"), std::string("./in.txt"), std::string("sub/../in.txt"),
          std::string("in.tx"), std::string("hard.txt"), std::string("alias.txt")}) {
        SCOPED_TRACE(name);
        request.inputName = name == "in.tx" ? "in.tx_" : "in.txt";
        const std::string reply =
            string(name) + counted("evil") + number(0) + number(0) + number(0) + number(0);
        ScriptedServer server;
        server.receive(remotetest::request(25, "Root", request.inputName, &script, "").size())
            .send(reply)
            .receive(8);
        const remote::ExchangeReply result = exchange(server);
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(result.outFile, "");
        EXPECT_EQ(result.outsideName, name);
        EXPECT_EQ(readFile((outside / "victim.txt").string()), "victim");
        EXPECT_EQ(readFile("in.txt"), script);
        EXPECT_EQ(fs::read_symlink("planted.txt_"), "../outside/victim.txt");
        EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 1);
    }
    for (const std::string name : {"sub/out.txt", "./kept.txt"}) {
        const remote::ExchangeReply result =
            answer(string(name) + counted("kept") + number(0) + number(0) + number(0) + number(0));
        EXPECT_EQ(result.outFile, name);
        EXPECT_EQ(readFile(name), "kept");
    }
}

// Fields the client must bound or read leniently, each followed by the rest of
// the reply read in step: an error text beyond 263 characters keeps its start,
// negative lengths count as none, and garbage in a number field reads as the
// number it starts with, or 0 (eight digits without a zero byte read whole).
TEST_F(HostileServerTest, OverlongTextsNegativeLengthsAndGarbageAreReadInStep) {
    const struct {
        std::string reply;
        int line, position;
        std::string text;
    } cases[] = {
        {number(0) + number(0) + number(0) + number(7) + number(1) + string(std::string(999, 'x')),
         7, 1, std::string(263, 'x')},
        {number(-5) + number(-1) + number(-3) + number(4) + number(2) + number(-7), 4, 2, ""},
        {std::string("zzzzzzzz") + "00000004" + "data" + "x\x01\x02\x03\x04\x05\x06\x07" +
             " 3abcdef" + "-0000001" + "00000003" + "ab" + std::string(1, '\0'),
         3, -1, "ab"},
    };
    for (const auto& c : cases) {
        const remote::ExchangeReply result = answer(c.reply);
        EXPECT_TRUE(stoppedInStep()) << c.text;
        EXPECT_EQ(result.outFile, "");
        EXPECT_EQ(result.errLine, c.line);
        EXPECT_EQ(result.errPos, c.position);
        EXPECT_EQ(result.errText, c.text);
    }
}

// A block is decoded from its first 501 bytes; the rest is dropped and the
// next block is read in step.
TEST_F(HostileServerTest, AnOverlongBlockIsDecodedFromItsFirstBytes) {
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

// A length that announces more than ever comes ends as a broken server once
// the connection closes.
TEST_F(HostileServerTest, AnnouncedBytesThatNeverComeEndAsABrokenServer) {
    for (const std::string& reply :
         {number(0) + "99999999" + "some", number(0) + number(0) + "99999999" + "0200",
          number(0) + number(0) + number(0) + number(1) + number(0) + "99999999"}) {
        ScriptedServer server;
        server.receive(requestBytes().size()).send(reply);
        const remote::ExchangeReply result = exchange(server);
        EXPECT_EQ(result.errText, remote::brokenServerText);
    }
}

// Display data without end stops at the block or byte limit: the exchange
// ends as broken, the connection is closed, and the client took little more
// than the limit (what the socket buffers hold besides).
TEST_F(HostileServerTest, DisplayDataWithoutEndStopsAtTheLimits) {
    const std::string point = encoded(display::PointRecord(1, 2));
    const struct {
        std::string block;
        std::size_t decoded;
    } cases[] = {{point, remote::maxDisplayBlocks},
                 {point + std::string(1'000'000, '0'), remote::maxDisplayBytes / 1'000'000}};
    for (const auto& limit : cases) {
        display.clear();
        ScriptedServer server;
        server.receive(requestBytes().size())
            .send(number(0) + number(0))
            .sendEndlessly(counted(limit.block));
        const remote::ExchangeReply result = exchange(server);
        EXPECT_FALSE(result.finished);
        EXPECT_FALSE(connectionOpen);
        EXPECT_EQ(result.errText, remote::brokenServerText);
        EXPECT_EQ(display.size(), limit.decoded);
        EXPECT_LT(server.sentCount(), std::size_t{remote::maxDisplayBytes} + (16u << 20));
    }
}
