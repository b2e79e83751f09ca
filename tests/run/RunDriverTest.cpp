#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <locale>
#include <string>
#include <thread>
#include <vector>

#include "Golden.h"
#include "RunFixture.h"
#include "run/AdaptIO.h"

namespace {

using runtest::inChild;
using runtest::positionOf;
using runtest::runRegistered;

using RunDriverTest = runtest::RunFixture;

DataMap& in() {
    return Parse::getInStore()[0];
}
DataMap& out() {
    return Parse::getOutStore();
}

void loginTest() {
    out()["status"] = 0;
    out()["elapsed"] = 3.0;
    out()["name"] = static_cast<char*>(in()["user"]);
    out()["(session)"] = 77;
    out()["(conn).port"] = 8080;
}

void useTest() {
    out()["seen"] = static_cast<int>(in()["session"]);
    out()["port"] = static_cast<int>(in()["port"]);
}

void slowTest() {
    Parse::waitForNotify(1, 100);
}

void asyncTest() {
    std::thread completion([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Parse::receivedNotification();
    });
    Parse::waitForNotify(1, 5000);
    completion.join();
    out()["done"] = 1;
}

ZorCall loginRegistration("login", loginTest);
ZorCall useRegistration("use", useTest);
ZorCall slowRegistration("slow", slowTest);
ZorCall asyncRegistration("async", asyncTest);

std::string runScriptText(const std::string& resultfile) {
    return resultfile +
           "{ prefix = \"log_\" count = 3 }\n"
           "login {\n"
           "// checks the login\n"
           "  user = \"guest\" retries = 2\n"
           "  opts { fast = 1 } ids[] { 4 5 6 }\n"
           "  verify: status == 0 elapsed < 2.5\n"
           "          name == \"guest\"\n"
           "}\n"
           "use { session = (session) port = (conn.port)\n"
           "      verify: seen == 77 port == 8080 }\n"
           "slow { }\n"
           "async { verify: done == 1 }\n";
}

TEST_F(RunDriverTest, ScriptRunAppendsReportsAndClosingLineFeed) {
    const std::string script = write("run.txt", runScriptText(resultfile()));
    const int result = inChild([&] { return Parse::parseLoop(script.c_str(), "", runRegistered); });
    EXPECT_EQ(result, -4);  // the login test failed on elapsed
    EXPECT_TRUE(zortest::matchesGolden("run_script.txt", output()));
}

TEST_F(RunDriverTest, CommaDecimalLocaleChangesNoNumber) {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    std::setlocale(LC_ALL, "C");
    const std::string script = write("run.txt", runScriptText(resultfile()));
    const int result = inChild([&] {
        std::setlocale(LC_ALL, "de_DE.UTF-8");
        std::locale::global(std::locale("de_DE.UTF-8"));
        return Parse::parseLoop(script.c_str(), "", runRegistered);
    });
    EXPECT_EQ(result, -4);
    EXPECT_TRUE(zortest::matchesGolden("run_script.txt", output()));
}

// The host's answer per test: 0 fails it, -1 skips the comparison.
int passFlagByName() {
    const std::string name = in().getName();
    out()["a"] = 1;
    return name == "failed" ? 0 : name == "skipped" ? -1 : 1;
}

TEST_F(RunDriverTest, CallbackResultIsThePassFlag) {
    const std::string script = write("flags.txt", resultfile() +
                                                      "failed { verify: a == 1 }\n"
                                                      "skipped { verify: a == 2 }\n"
                                                      "passed { verify: a == 1 }\n");
    const int result =
        inChild([&] { return Parse::parseLoop(script.c_str(), "", passFlagByName); });
    EXPECT_EQ(result, -4);
    EXPECT_TRUE(zortest::matchesGolden("run_pass_flags.txt", output()));
}

TEST_F(RunDriverTest, FailedVerificationMakesLaterCleanRunsMinus4) {
    const std::string failing = write("fail.txt", resultfile() + "passed { verify: a == 2 }\n");
    const std::string clean = write("clean.txt", resultfile() + "passed { verify: a == 1 }\n");
    const int result = inChild([&] {
        if (Parse::parseLoop(clean.c_str(), "", passFlagByName) != 0) return 1;
        if (Parse::getLastVerifyResult() != 0) return 2;
        if (Parse::parseLoop(failing.c_str(), "", passFlagByName) != -4) return 3;
        if (Parse::parseLoop(clean.c_str(), "", passFlagByName) != -4) return 4;
        return Parse::getLastVerifyResult() == 1 ? 0 : 5;
    });
    EXPECT_EQ(result, 0);
}

TEST_F(RunDriverTest, ParseErrorIsAppendedAndItsLineReturned) {
    const std::string text = resultfile() + "{ x = 1 }\na b{}\n";
    const std::string script = write("error.txt", text);
    EXPECT_EQ(Parse::parseLoop(script.c_str(), "", runRegistered), 3);
    EXPECT_STREQ(Parse::getErrString(), "parse error in line 3 ( b... )\n");
    EXPECT_EQ(Parse::getErrLine(), 3);
    EXPECT_EQ(Parse::getErrPos(), positionOf(text, "b{}"));
    EXPECT_EQ(output(), "parse error in line 3 ( b... )\n\n");
}

TEST_F(RunDriverTest, MissingOutputFileGivesMinus3AndWritesNothing) {
    const std::string clean = write("clean.txt", "{ x = 1 }\n");
    EXPECT_EQ(Parse::parseLoop(clean.c_str(), "", runRegistered), -3);
    const std::string early = write("early.txt", "{ x = }\n" + resultfile());
    EXPECT_EQ(Parse::parseLoop(early.c_str(), "", runRegistered), -3);
    EXPECT_EQ(Parse::getErrLine(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.txt")));
}

int calls = 0;
int firstCallback() {
    return ++calls, 1;
}
int secondCallback() {
    return calls += 100, 1;
}

TEST_F(RunDriverTest, RefusedCallsChangeNothing) {
    const std::string script = write("plain.txt", resultfile());
    ASSERT_EQ(Parse::parseLoop(script.c_str(), "keep", firstCallback), 0);
    const std::string longName(Parse::entryNameSize, 'n');
    EXPECT_EQ(Parse::parseLoop(nullptr, "", secondCallback), -1);
    EXPECT_EQ(Parse::parseLoop(script.c_str(), nullptr, secondCallback), -1);
    EXPECT_EQ(Parse::parseLoop(longName.c_str(), "", secondCallback), -1);
    EXPECT_EQ(Parse::parseLoop(script.c_str(), longName.c_str(), secondCallback), -1);
    EXPECT_STREQ(Parse::getFilterName(), "keep");
    calls = 0;
    Parse::startEvent();
    EXPECT_EQ(calls, 1);  // still the first callback

    // An input that cannot be opened has already replaced callback and filter.
    EXPECT_EQ(Parse::parseLoop(dir.file("absent.txt").c_str(), "f", secondCallback), -2);
    EXPECT_STREQ(Parse::getFilterName(), "f");
    Parse::startEvent();
    EXPECT_EQ(calls, 101);
}

int nestedResults[3];
int reenteringCallback() {
    const std::string self = Parse::getIO().getInFileName();
    nestedResults[0] = Parse::parseLoop(self.c_str(), "", nullptr);
    nestedResults[1] = Parse::readLoop(self.c_str(), "t");
    nestedResults[2] = Parse::closeLoop();
    return -1;
}

TEST_F(RunDriverTest, NoRunStartsFromInsideARun) {
    const std::string script = write("nested.txt", resultfile() + "t { }\n");
    EXPECT_EQ(Parse::parseLoop(script.c_str(), "", reenteringCallback), 0);
    EXPECT_EQ(nestedResults[0], -1);
    EXPECT_EQ(nestedResults[1], -1);
    EXPECT_EQ(nestedResults[2], 0);
    EXPECT_EQ(Parse::hasCallback(), 1);
    EXPECT_STREQ(Parse::getFilterName(), "");
    EXPECT_EQ(output(), "\n");
}

TEST_F(RunDriverTest, NullCallbackRunsNoTest) {
    const std::string script = write("quiet.txt", resultfile() + "login { user = \"x\" }\n");
    EXPECT_EQ(Parse::parseLoop(script.c_str(), "", nullptr), 0);
    EXPECT_EQ(Parse::hasCallback(), 0);
    EXPECT_EQ(Parse::startEvent(), 0);
    EXPECT_EQ(output(), "\n");
}

std::vector<std::string> ran;
int recordRun() {
    ran.push_back(std::string(in().getName()) + "=" + std::to_string(static_cast<int>(in()["n"])));
    return in().getName() == std::string("skip") ? -2 : -1;
}

TEST_F(RunDriverTest, FilterRunsOneTestByNameAndPosition) {
    const std::string text = resultfile() + "t { n = 1 }\nt { n = 2 }\nt { n = 3 }\n}";
    const std::string script = write("filter.txt", text);
    const std::string filter = "t" + std::to_string(positionOf(text, "t { n = 2"));
    ran.clear();
    // The parse stops after the selected test, before the stray brace.
    EXPECT_EQ(Parse::parseLoop(script.c_str(), filter.c_str(), recordRun), 0);
    EXPECT_EQ(ran, (std::vector<std::string>{"t=2"}));
    EXPECT_EQ(Parse::getErrLine(), 0);
    EXPECT_EQ(output(), "\n");
}

TEST_F(RunDriverTest, FilteredTestBelowMinus1LetsTheParseGoOn) {
    const std::string text = resultfile() + "skip { n = 1 }\nt { n = 2 }\n}";
    const std::string script = write("filter.txt", text);
    const std::string filter = "skip" + std::to_string(positionOf(text, "skip"));
    ran.clear();
    EXPECT_EQ(Parse::parseLoop(script.c_str(), filter.c_str(), recordRun), 4);
    EXPECT_EQ(ran, (std::vector<std::string>{"skip=1"}));
}

}  // namespace
