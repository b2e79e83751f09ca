// The wire elements and the connection: number fields and command words byte
// for byte, the port rule, connecting on loopback (through the rule, as every
// exchange test does), and the name under which a server keeps a script.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <cstdlib>
#include <filesystem>

#include "ScriptedServer.h"
#include "protocol/ClientSocket.h"
#include "protocol/PortRule.h"
#include "protocol/RequestReading.h"
#include "protocol/WireFields.h"

using namespace remote;
using remotetest::number;

namespace {

WireField fieldOf(const std::string& bytes) {
    WireField field{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), fieldSize), field.begin());
    return field;
}

int openDescriptors() {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                          std::filesystem::directory_iterator()));
}

}  // namespace

// What the exchange tests do not show: beyond seven places the digits fill the
// field, and a field reads as the number at its start, within its eight bytes.
TEST(WireFieldTest, NumbersAndCommandWordsByteForByte) {
    EXPECT_EQ(number(-1), std::string("-000001\0", 8));
    EXPECT_EQ(number(12'345'678), "12345678");
    EXPECT_TRUE(isCommandWord(fieldOf(std::string("TSTSTOP\0", 8)), stopWord));
    EXPECT_FALSE(isCommandWord(fieldOf("TSTSTOPX"), stopWord));
    const std::pair<std::string, int> fields[] = {
        {"  +17abc", 17}, {"--000001", 0}, {"99999999", 99'999'999}, {std::string(8, '\0'), 0}};
    for (const auto& [bytes, value] : fields)
        EXPECT_EQ(fieldNumber(fieldOf(bytes)), value) << bytes;
}

TEST(PortRuleTest, TheTwoBytesOfTheEnteredPortAreSwapped) {
    EXPECT_EQ(tcpPortOf(6500), 25625);
    EXPECT_EQ(tcpPortOf(25625), 6500);
    EXPECT_EQ(tcpPortOf(0x10000 + 0x1964), 0x6419);  // only the low 16 bits count
}

// Failed connects close their socket again: nothing is left open. A child
// without a free descriptor cannot create the socket at all.
TEST(ConnectTest, FailuresAnswerTheirCodeAndLeaveNothingOpen) {
    const int before = openDescriptors();
    WireSocket connection;
    EXPECT_EQ(openConnection("no-such-host.invalid", 6500, connection), noHost);
    EXPECT_EQ(openConnection("", 6500, connection), noHost);
    const int closedPort = remotetest::ScriptedServer().tcpPort();
    EXPECT_EQ(openConnection("127.0.0.1", tcpPortOf(closedPort), connection), noConnection);
    EXPECT_FALSE(connection.isOpen());
    EXPECT_EQ(openDescriptors(), before);
    const auto withoutDescriptors = [&connection] {
        const rlimit none{0, 0};
        setrlimit(RLIMIT_NOFILE, &none);
        std::_Exit(openConnection("127.0.0.1", 6500, connection) == noSocket ? 0 : 1);
    };
    EXPECT_EXIT(withoutDescriptors(), ::testing::ExitedWithCode(0), "");
}

// Only the last component counts, so a script never lands outside the
// server's folder.
TEST(RequestReadingTest, AScriptIsStoredUnderTheLastComponentOfItsName) {
    EXPECT_EQ(localInputName("in.txt"), "in.txt");
    EXPECT_EQ(localInputName("../../etc/in2.txt"), "in2.txt");
    EXPECT_EQ(localInputName("C:\\tests\\order.txt"), "order.txt");
    EXPECT_EQ(localInputName("folder/"), "in.txt");
    EXPECT_EQ(localInputName(".."), "in.txt");
    EXPECT_EQ(localInputName(""), "in.txt");
}
