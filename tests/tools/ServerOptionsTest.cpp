// ZorServer's command line and where it stores a received script.
#include <gtest/gtest.h>

#include "ServerOptions.h"
#include "ServerProtocol.h"

using namespace zorserver;

namespace {

ServerCommand parse(const std::vector<std::string>& args, ServerOptions& options,
                    std::string& error) {
    return parseServerOptions(args, options, error);
}

}  // namespace

TEST(ServerOptionsTest, DefaultsAndValues) {
    ServerOptions options;
    std::string error;
    ASSERT_EQ(parse({}, options, error), ServerCommand::serve);
    EXPECT_EQ(options.port, 6500);
    EXPECT_EQ(options.bindAddress, "127.0.0.1");
    ASSERT_EQ(parse({"--port=0", "--bind", "0.0.0.0", "--load", "a.so", "--load=b.so", "-q"},
                    options, error),
              ServerCommand::serve);
    EXPECT_EQ(options.port, 0);
    EXPECT_EQ(options.bindAddress, "0.0.0.0");
    EXPECT_EQ(options.modules, (std::vector<std::string>{"a.so", "b.so"}));
    EXPECT_TRUE(options.quiet);
}

TEST(ServerOptionsTest, BadArgumentsSayWhy) {
    std::string error;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--port", "65536"}, {"--port", "x"}, {"--port"}, {"--bind="}, {"--load"}, {"run"}}) {
        ServerOptions options;
        EXPECT_EQ(parse(args, options, error), ServerCommand::badArguments) << args[0];
        EXPECT_FALSE(error.empty());
    }
    ServerOptions options;
    EXPECT_EQ(parse({"--help"}, options, error), ServerCommand::help);
    EXPECT_EQ(parse({"--version"}, options, error), ServerCommand::version);
}

// Only the last component counts, so a script never lands outside the
// server's folder.
TEST(ServerOptionsTest, AScriptIsStoredUnderTheLastComponentOfItsName) {
    EXPECT_EQ(localInputName("in.txt"), "in.txt");
    EXPECT_EQ(localInputName("../../etc/in2.txt"), "in2.txt");
    EXPECT_EQ(localInputName("C:\\tests\\order.txt"), "order.txt");
    EXPECT_EQ(localInputName("folder/"), "in.txt");
    EXPECT_EQ(localInputName(".."), "in.txt");
    EXPECT_EQ(localInputName(""), "in.txt");
}
