// The client side of the protocol against scripted servers: it never reads past its buffers
// (the sanitizer build checks), never leaves a cut output file, and stays in step where it can.
#include "ExchangeFixture.h"
#include "display/ColorRecord.h"
#include "display/ShapeRecords.h"
#include "display/TextRecord.h"
#include "protocol/PortRule.h"
#include "protocol/RequestReading.h"
#include "protocol/WireFields.h"

using namespace remote;
using namespace remotetest;
using namespace zortest;
namespace fs = std::filesystem;

using RemoteExchangeTest = ExchangeFixture;
using HostileServerTest = ExchangeFixture;

namespace {

using Names = std::vector<std::string>;

WireField fieldOf(const std::string& bytes) {
    WireField field{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), fieldSize), field.begin());
    return field;
}

long entries(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

const std::vector<std::string> blocks = {
    encoded(display::ColorRecord(1, 2, 3, 0), display::LineRecord(1, 2, 3, 4)),
    encoded(display::TextRecord(5, 6, 1, "hi"))};

}  // namespace

// Beyond seven places the digits fill the field and read back whole; a command
// word matches with its zero byte only; the entered port has its bytes swapped.
TEST(WireFieldTest, NumbersCommandWordsAndPortsByteForByte) {
    EXPECT_EQ(number(-1), std::string("-000001\0", 8));
    EXPECT_EQ(fieldNumber(fieldOf("99999999")), 99'999'999);
    EXPECT_TRUE(isCommandWord(fieldOf(std::string("TSTSTOP\0", 8)), stopWord));
    EXPECT_FALSE(isCommandWord(fieldOf("TSTSTOPX"), stopWord));
    EXPECT_EQ(tcpPortOf(6500), 25625);
    EXPECT_EQ(tcpPortOf(0x10000 + 0x1964), 0x6419);  // only the low 16 bits count
}

// Failed connects close their socket again: nothing is left open.
TEST(ConnectTest, FailuresAnswerTheirCodeAndLeaveNothingOpen) {
    const long before = entries("/proc/self/fd");
    WireSocket connection;
    EXPECT_EQ(openConnection("no-such-host.invalid", 6500, connection), noHost);
    const int closedPort = remotetest::ScriptedServer().enteredPort();
    EXPECT_EQ(openConnection("127.0.0.1", closedPort, connection), noConnection);
    EXPECT_EQ(entries("/proc/self/fd"), before);
}

// The reply comes one byte per send, so that elements are gathered from short
// receives; the file spans several chunks. A script too long for its length
// field is refused before anything goes out.
TEST_F(RemoteExchangeTest, RequestAndReplyGoByteForByte) {
    const std::string file = std::string(1200, 'r') + "\r\n";
    ScriptedServer server;
    server.receive(requestBytes().size());
    for (const char byte : reply(outFile, file, blocks, 3, 17, "syntax error in line 3\n"))
        server.send(std::string(1, byte));
    server.receive(8);
    const remote::ExchangeReply result = exchange(server);

    // Depth 25 as "0000025", the empty filter as L = 1 and its zero byte.
    const std::string expected = std::string("TSTEXEC\0", 8) + std::string("0000000\0", 8) +
                                 std::string("0000025\0", 8) + std::string("0000005\0Root\0", 13) +
                                 std::string("0000007\0in.txt\0", 15) +
                                 std::string("0000014\0", 8) + script +
                                 std::string("0000001\0\0", 9) + std::string("TSTSTOP\0", 8);
    EXPECT_EQ(server.received(), expected);
    EXPECT_TRUE(result.outFileReceived);
    EXPECT_EQ(readFile(outFile), file);
    EXPECT_EQ(result.errPos, 17);
    EXPECT_EQ(result.errText, "syntax error in line 3\n");
    EXPECT_EQ(display.size(), 3u);

    // A file length of 0 leaves the output file alone.
    EXPECT_FALSE(answer(reply(outFile, "")).outFileReceived);
    EXPECT_EQ(readFile(outFile), file);

    const std::string huge(remote::maxScriptLength + 1, 'x');
    request.script = huge;
    ScriptedServer silent;
    const remote::ExchangeReply refused = exchange(silent.receiveToEnd());
    EXPECT_FALSE(refused.finished);
    EXPECT_EQ(refused.errText, remote::scriptTooLongText);
    EXPECT_EQ(silent.received(), "");
}

// The reply cut after every one of its bytes ends as a broken server, never
// as a run without an output file; a cut inside the output name also closes
// the connection. The output file is the former one or the whole new one,
// never a cut one; only whole blocks are decoded.
TEST_F(HostileServerTest, AConnectionEndingInsideAnyElementNeverCutsTheOutputFile) {
    const std::string file = "report line\r\n";
    const std::string bytes = reply(outFile, file, blocks, 2, 9, "error text\n");
    const std::size_t nameEnd = 8 + outFile.size() + 1;
    const std::size_t fileEnd = nameEnd + 8 + file.size();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        SCOPED_TRACE("cut after " + std::to_string(cut) + " bytes");
        writeFile(outFile, "former");
        display.clear();
        ScriptedServer server;
        server.receive(requestBytes().size()).send(bytes.substr(0, cut));
        const remote::ExchangeReply result = exchange(server);
        const bool insideName = cut >= 8 && cut < nameEnd;
        EXPECT_EQ(result.finished, !insideName);
        EXPECT_EQ(connectionOpen, !insideName);
        EXPECT_EQ(result.errLine, 1);
        EXPECT_EQ(result.errText, remote::brokenServerText);
        const bool fileWhole = cut >= fileEnd;
        EXPECT_EQ(result.outFile, fileWhole ? outFile : "");
        EXPECT_EQ(readFile(outFile), fileWhole ? file : "former");
        EXPECT_FALSE(fs::exists(outFile + "_"));
        EXPECT_TRUE(display.size() == 0 || display.size() == 2 || display.size() == 3);
    }
}

// The server's name for the output file is taken only for a file beneath the
// current folder ("work") other than the script, however the name or a link
// tries to lead elsewhere. Any other name counts as none: its file is dropped,
// the rest is read in step, and nothing changes, here or outside. The server
// in turn stores a script under the last component of its name only.
TEST_F(HostileServerTest, NamesThatCannotBeAFileHereCountAsNone) {
    EXPECT_EQ(localInputName("C:\\tests\\order.txt"), "order.txt");
    EXPECT_EQ(localInputName(".."), "in.txt");
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
         Names{"sub/" + std::string(254, 'n'), "sub/out.txt", "./kept.txt"}) {
        request.replyNames.allow(name);
        EXPECT_EQ(answer(reply(name, "kept")).outFile, name);
        EXPECT_EQ(readFile(name), "kept");
    }
    const auto refused = [&](const std::string& name, const std::string& outsideName) {
        SCOPED_TRACE(name);
        request.replyNames.allow(name);
        const remote::ExchangeReply result = answer(string(name) + counted("evil") + number(0) +
                                                    number(5) + number(6) + string("e\n"));
        EXPECT_TRUE(stoppedInStep());
        EXPECT_EQ(result.outFile, "");
        EXPECT_EQ(result.outsideName, outsideName);
        EXPECT_EQ(result.errLine, 5);
        EXPECT_EQ(readFile((outside / "victim.txt").string()), "victim");
        EXPECT_EQ(readFile("in.txt"), script);
        EXPECT_EQ(entries(outside), 1);
        EXPECT_EQ(entries("."), 9);
    };
    // Beyond the receive limit, empty, with control characters, too long to
    // take "_", or in a folder that is not there: no file name at all.
    for (const std::string& name : Names{std::string(299, 'n'), "", "bad\nname", "tab\tname",
                                         "sub/" + std::string(255, 'n'), "no-such-folder/out.txt"})
        refused(name, "");
    for (const std::string& name :
         Names{(outside / "victim.txt").string(), "../outside/victim.txt",
               "sub/../../outside/victim.txt", "climbing.txt", "absolute.txt", "up/victim.txt",
               "planted.txt", "in.txt", "./in.txt", "sub/../in.txt", "hard.txt", "alias.txt"})
        refused(name, name);
    request.inputName = "in.tx_";
    refused("in.tx", "in.tx");
}

// Read in step: an error text beyond 263 characters keeps its start, a block is
// decoded from its first 501 bytes, negative lengths count as none, garbage in
// a number reads as the number it starts with after blanks and one sign, or 0.
// Bytes announced that never come, or display data beyond the block or byte
// limit, end as a broken server (the latter closing after little more).
TEST_F(HostileServerTest, OverlongGarbageAndEndlessRepliesAreBounded) {
    std::string big;  // 500 bytes of points, then 1500 more
    for (int i = 0; i < 50; ++i) big += encoded(display::PointRecord(i, i));
    big += std::string(1500, '0');
    const std::string point = encoded(display::PointRecord(1, 2));
    const std::string broken = remote::brokenServerText;
    const struct {
        std::string reply, endless;
        int line, position;
        std::string text;
        std::size_t shown;
    } cases[] = {
        {reply("", "", {}, 7, 1, std::string(999, 'x')), "", 7, 1, std::string(263, 'x'), 0},
        {reply("", "", {big, encoded(display::LineRecord(1, 1, 2, 2))}, 3, 4), "", 3, 4, "", 51},
        {number(-5) + number(-1) + number(-3) + number(4) + number(2) + number(-7), "", 4, 2, "",
         0},
        {std::string("--000001") + "00000004" + "data" + "x\x01\x02\x03\x04\x05\x06\x07" +
             " +3abcde" + "-0000001" + "00000003" + "ab" + std::string(1, '\0'),
         "", 3, -1, "ab", 0},
        {number(0) + "99999999" + "some", "", 1, 0, broken, 0},
        {number(0) + number(0) + "99999999" + "0200", "", 1, 0, broken, 0},
        {number(0) + number(0) + number(0) + number(1) + number(0) + "99999999" +
             std::string(300, 'e'),
         "", 1, 0, broken, 0},
        {number(0) + number(0), counted(point), 1, 0, broken, remote::maxDisplayBlocks},
        {number(0) + number(0), counted(point + std::string(1'000'000, '0')), 1, 0, broken,
         remote::maxDisplayBytes / 1'000'000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        display.clear();
        ScriptedServer server;
        server.receive(requestBytes().size()).send(c.reply);
        if (!c.endless.empty()) server.sendEndlessly(c.endless);
        const bool inStep = c.text != broken;
        if (inStep) server.receive(8);
        const remote::ExchangeReply result = exchange(server);
        EXPECT_EQ(result.outFile, "");
        EXPECT_EQ(result.errLine, c.line);
        EXPECT_EQ(result.errPos, c.position);
        EXPECT_EQ(result.errText, c.text);
        EXPECT_EQ(display.size(), c.shown);
        EXPECT_EQ(server.received(), requestBytes() + (inStep ? word("TSTSTOP") : ""));
        if (c.endless.empty()) continue;
        EXPECT_FALSE(result.finished);
        EXPECT_FALSE(connectionOpen);
        EXPECT_LT(server.sentCount(), std::size_t{remote::maxDisplayBytes} + (16u << 20));
    }
}

// Only the names the script spells are written, compared in the one normal
// form; a name built at run time comes back only beneath the folder the user
// named, and only where the script builds one. Every other name is shown and
// its file dropped, with nothing created.
TEST_F(HostileServerTest, OnlyNamesTheScriptNamesAreWritten) {
    EXPECT_EQ(normalReplyName("./a//b/./c.txt"), "a/b/c.txt");
    for (const char* refused : {"/etc/x", "a/../b", "a/."})
        EXPECT_EQ(normalReplyName(refused), "") << refused;
    EXPECT_EQ(outputFolderName("results/"), "results");
    EXPECT_EQ(outputFolderName((fs::current_path() / "results").string()), "results");
    for (const char* refused : {".", "", "../results", "/"})
        EXPECT_EQ(outputFolderName(refused), "") << refused;

    const std::vector<OutlineFile> files = {{OutlineFile::resultFile, "./out.txt", false, 1},
                                            {OutlineFile::deleteFile, "gone.txt", false, 2},
                                            {OutlineFile::resultFile, "", true, 3}};
    request.replyNames = ReplyNameRule(files, "results");
    fs::create_directories("results");
    fs::create_directories("resultsX");
    const struct {
        std::string name;
        bool written;
    } cases[] = {{"out.txt", true},         {"results/r.txt", true}, {"gone.txt", false},
                 {"resultsX/r.txt", false}, {"results", false},      {"a/../out.txt", false}};
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        const remote::ExchangeReply result = answer(reply(each.name, "kept"));
        EXPECT_TRUE(stoppedInStep());
        EXPECT_EQ(result.outFile, each.written ? each.name : "");
        EXPECT_EQ(fs::is_regular_file(each.name), each.written);
        const bool climbs = each.name.find("..") != std::string::npos;
        EXPECT_EQ(result.unnamedName, each.written || climbs ? "" : each.name);
        EXPECT_EQ(result.outsideName, climbs ? each.name : "");
        EXPECT_EQ(refusedNameNotice(result),
                  each.written
                      ? ""
                      : std::string(climbs ? outsideNameText : unnamedNameText) + each.name);
    }
}
