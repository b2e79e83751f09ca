// What ZorServer takes from a worker, its device and its limits.
#include <gtest/gtest.h>

#include "DevicePanel.h"
#include "ServerOptions.h"
#include "WorkerMessage.h"

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
    EXPECT_EQ(taken->outFile, sent.outFile);
    EXPECT_EQ(taken->errLine, 3);
    EXPECT_EQ(taken->errPos, -1);
    EXPECT_EQ(taken->errText, sent.errText);
    EXPECT_EQ(taken->device.line, "AB");
    EXPECT_EQ(taken->device.pressedButton, 2);
    EXPECT_EQ(taken->device.lastEvent, "key b");

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

TEST(ServerProtocolTest, TheDeviceTakesOnlyStatesItCanReach) {
    zorserver::DevicePanel panel;
    panel.key("q");
    const zorserver::DeviceState unreachable[] = {
        {std::string(31, 'x'), -1, ""},
        {"a\nb", -1, ""},
        {"", 4, ""},
        {"", -2, ""},
    };
    for (const auto& state : unreachable) EXPECT_FALSE(panel.setState(state));
    EXPECT_EQ(panel.text(), "q");
    EXPECT_TRUE(panel.setState({"AB", 3, "CLR pressed (left)"}));
    EXPECT_EQ(panel.pressed(), "CLR");
}

TEST(ServerProtocolTest, WorkerLimitsTakeTheirUnits) {
    const struct {
        std::vector<std::string> args;
        unsigned long long memory;
        int timeout;
        int scripts;
    } good[] = {
        {{}, 4ULL << 30, 0, 100},
        {{"--max-memory", "512M", "--run-timeout=5", "--max-scripts", "2"}, 512ULL << 20, 5, 2},
        {{"--max-memory=65536"}, 65536, 0, 100},
    };
    for (const auto& row : good) {
        zorserver::ServerOptions options;
        std::string error;
        EXPECT_EQ(zorserver::parseServerOptions(row.args, options, error),
                  zorserver::ServerCommand::serve);
        EXPECT_EQ(options.maxMemory, row.memory);
        EXPECT_EQ(options.runTimeout, row.timeout);
        EXPECT_EQ(options.maxScripts, row.scripts);
    }
    const std::vector<std::string> bad[] = {{"--max-memory", "4Q"}, {"--max-memory", "0"},
                                            {"--max-memory", "M"},  {"--run-timeout", "-1"},
                                            {"--max-scripts", "0"}, {"--max-memory", "99999999T"}};
    for (const auto& args : bad) {
        zorserver::ServerOptions options;
        std::string error;
        EXPECT_EQ(zorserver::parseServerOptions(args, options, error),
                  zorserver::ServerCommand::badArguments)
            << args[1];
    }
}
