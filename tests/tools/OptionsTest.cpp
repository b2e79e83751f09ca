#include "Options.h"

#include <gtest/gtest.h>

namespace {

using zor::Command;

struct Parsed {
    Command command;
    zor::RunOptions options;
    std::string error;
};

Parsed parse(std::vector<std::string> args) {
    Parsed parsed;
    parsed.command = zor::parseOptions(args, parsed.options, parsed.error);
    return parsed;
}

TEST(OptionsTest, ValuesComeAsNextArgumentOrAfterAnEqualsSign) {
    Parsed p = parse({"--load", "a.so", "--load=b.so", "--filter", "login 57", "--junit=r.xml",
                      "--trace-depth", "3", "--trace-root=main", "one.txt", "two.txt"});
    ASSERT_EQ(p.command, Command::run) << p.error;
    EXPECT_EQ(p.options.modules, (std::vector<std::string>{"a.so", "b.so"}));
    EXPECT_EQ(p.options.filter, "login 57");
    EXPECT_EQ(p.options.junitFile, "r.xml");
    EXPECT_EQ(p.options.traceDepth, 3);
    EXPECT_EQ(p.options.traceRoot, "main");
    EXPECT_EQ(p.options.scripts, (std::vector<std::string>{"one.txt", "two.txt"}));
    EXPECT_FALSE(p.options.quiet);
}

TEST(OptionsTest, NoTraceUnlessAsked) {
    Parsed p = parse({"s.txt"});
    ASSERT_EQ(p.command, Command::run);
    EXPECT_FALSE(p.options.traceDepth);
    EXPECT_FALSE(p.options.traceRoot);
}

TEST(OptionsTest, DoubleDashEndsTheOptions) {
    Parsed p = parse({"-q", "--", "--odd name.txt", "-"});
    ASSERT_EQ(p.command, Command::run);
    EXPECT_TRUE(p.options.quiet);
    EXPECT_EQ(p.options.scripts, (std::vector<std::string>{"--odd name.txt", "-"}));
}

TEST(OptionsTest, HelpAndVersionWinOverEverythingAfterThem) {
    EXPECT_EQ(parse({"s.txt", "--help", "--bogus"}).command, Command::help);
    EXPECT_EQ(parse({"-h"}).command, Command::help);
    EXPECT_EQ(parse({"--version"}).command, Command::version);
}

TEST(OptionsTest, BadArgumentsAreNamedInTheMessage) {
    EXPECT_EQ(parse({"--bogus", "s.txt"}).error, "unknown option '--bogus'");
    EXPECT_EQ(parse({"s.txt", "--load"}).error, "--load needs a value");
    EXPECT_EQ(parse({}).error, "no script given");
    EXPECT_EQ(parse({"--junit=", "s.txt"}).error, "--junit needs a file name");
    for (const char* depth : {"-1", "101", "x", "5x", ""}) {
        Parsed p = parse({"--trace-depth", depth, "s.txt"});
        EXPECT_EQ(p.command, Command::badArguments) << depth;
        EXPECT_NE(p.error.find("0 to 100"), std::string::npos) << p.error;
    }
}

TEST(OptionsTest, TextsTheLibraryWouldRefuseOrCutAreRefused) {
    EXPECT_EQ(parse({"--filter", std::string(255, 'f'), "s.txt"}).command, Command::run);
    EXPECT_EQ(parse({"--filter", std::string(256, 'f'), "s.txt"}).command, Command::badArguments);
    EXPECT_EQ(parse({"--trace-root", std::string(499, 'r'), "s.txt"}).command, Command::run);
    EXPECT_EQ(parse({"--trace-root", std::string(500, 'r'), "s.txt"}).command,
              Command::badArguments);
}

}  // namespace
