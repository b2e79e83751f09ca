#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "RunFixture.h"

namespace {

using runtest::inChild;
using runtest::positionOf;
using runtest::runRegistered;

using VerifyObserverTest = runtest::RunFixture;

std::FILE* heard = nullptr;

void listen(const char* name, int position, int pass, int result) {
    std::fprintf(heard, "%s %d %d %d\n", name, position, pass, result);
}

// The host's pass flag by test name: "failing" fails, "skipped" skips the
// comparison, everything else runs the registered function.
int passByName() {
    const std::string name = Parse::getInStore()[0].getName();
    if (name == "failing") return 0;
    if (name == "skipped") return -1;
    return runRegistered();
}

void echo() {
    Parse::getOutStore() = Parse::getInStore()[0];
}

ZorCall echoRegistration("echo", echo);

const char* const body =
    "echo { a = 1 verify: a == 1 }\n"
    "echo { a = 1 verify: a == 2 }\n"
    "skipped { a = 1 verify: a == 2 }\n"
    "failing { }\n";

TEST_F(VerifyObserverTest, HearsEveryComparisonWithNamePositionPassFlagAndResult) {
    const std::string text = resultfile() + body;
    const std::string script = write("s.txt", text);
    const std::string log = dir.file("heard.txt");
    inChild([&] {
        heard = std::fopen(log.c_str(), "w");
        Parse::setVerifyObserver(listen);
        Parse::parseLoop(script.c_str(), "", passByName);
        return std::fclose(heard);
    });
    EXPECT_EQ(zortest::readFile(log),
              "echo " + std::to_string(positionOf(text, "echo { a = 1 verify: a == 1")) +
                  " 1 0\n"
                  "echo " +
                  std::to_string(positionOf(text, "echo { a = 1 verify: a == 2")) +
                  " 1 1\n"
                  "failing " +
                  std::to_string(positionOf(text, "failing")) + " 0 1\n");
}

// Observing is listening only: the same script appends the same bytes and
// returns the same code with and without an observer.
TEST_F(VerifyObserverTest, ObservedRunWritesAndReturnsWhatAnUnobservedOneDoes) {
    const std::string plain =
        write("plain.txt", "resultfile \"" + dir.file("plain_out.txt") + "\"\n" + body);
    const std::string observed =
        write("observed.txt", "resultfile \"" + dir.file("observed_out.txt") + "\"\n" + body);
    const std::string log = dir.file("heard.txt");
    const int plainCode = inChild([&] {
        const int code = Parse::parseLoop(plain.c_str(), "", passByName);
        return code * 10 + Parse::getLastVerifyResult();
    });
    const int observedCode = inChild([&] {
        heard = std::fopen(log.c_str(), "w");
        Parse::setVerifyObserver(listen);
        const int code = Parse::parseLoop(observed.c_str(), "", passByName);
        std::fclose(heard);
        return code * 10 + Parse::getLastVerifyResult();
    });
    EXPECT_EQ(plainCode, -4 * 10 + 1);
    EXPECT_EQ(observedCode, plainCode);
    EXPECT_EQ(zortest::readFile(dir.file("observed_out.txt")),
              zortest::readFile(dir.file("plain_out.txt")));
}

TEST_F(VerifyObserverTest, RemovedObserverHearsNothingMore) {
    const std::string script = write("s.txt", resultfile() + "echo { a = 1 verify: a == 1 }\n");
    const std::string log = dir.file("heard.txt");
    inChild([&] {
        heard = std::fopen(log.c_str(), "w");
        Parse::setVerifyObserver(listen);
        Parse::setVerifyObserver(nullptr);
        Parse::parseLoop(script.c_str(), "", passByName);
        return std::fclose(heard);
    });
    EXPECT_EQ(zortest::readFile(log), "");
}

}  // namespace
