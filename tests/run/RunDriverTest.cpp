// Whole runs and the provider way through real scripts, refused calls, the verify observer.
#include <gtest/gtest.h>
#include <utime.h>

#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "FileLimit.h"
#include "Golden.h"
#include "ScriptFixture.h"
#include "run/AdaptIO.h"
#include "run/Parse.h"
#include "run/ZorCall.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace {

DataMap& in = Parse::getInStore()[0];
DataMap& out = Parse::getOutStore();

// Host callbacks: the viewer's, through the registry, and one that fails or skips some tests.
int runRegistered() {
    if (ZorCall::TestFunction function = ZorCall::getFunc(in.getName())) function();
    return 1;
}

int passFlagByName() {
    const std::string name = in.getName();
    out["a"] = 1;
    return name == "failed" ? 0 : name == "skipped" ? -1 : 1;
}

void loginTest() {
    out["status"] = 0;
    out["elapsed"] = 3.0;
    out["name"] = static_cast<char*>(in["user"]);
    out["(session)"] = 77;
    out["(conn).port"] = 8080;
}

void useTest() {
    out["seen"] = static_cast<int>(in["session"]);
    out["port"] = static_cast<int>(in["port"]);
}

void asyncTest() {  // completed from another thread, before or while it waits
    std::jthread completion(Parse::receivedNotification);
    Parse::waitForNotify(1, 5000);
    out["done"] = 1;
}

ZorCall registrations[] = {{"login", loginTest},
                           {"use", useTest},
                           {"slow", [] { Parse::waitForNotify(1, 100); }},
                           {"async", asyncTest}};

const char* const runBody =
    "{ prefix = \"log_\" count = 3 }\nlogin {\n// checks the login\n"
    "  user = \"guest\" retries = 2\n  opts { fast = 1 } ids[] { 4 5 6 }\n"
    "  verify: status == 0 elapsed < 2.5\n          name == \"guest\"\n}\n"
    "use { session = (session) port = (conn.port)\n      verify: seen == 77 port == 8080 }\n"
    "slow { }\nasync { verify: done == 1 }\n";

const char* const flagsBody =
    "failed { verify: a == 1 }\nskipped { verify: a == 2 }\npassed { verify: a == 1 }\n";

std::string heardFile;
void listen(const char* name, int position, int pass, int result) {
    std::ofstream(heardFile, std::ios::app)
        << name << ' ' << position << ' ' << pass << ' ' << result << '\n';
}

class RunDriverTest : public scripttest::ScriptFixture {
protected:
    // Runs the script where files may not grow beyond limit bytes; answers
    // "<code> <verifyResult> <the last write phase's error>".
    std::string runLimited(const std::string& text, rlim_t limit) const {
        const std::string script = write("s.txt", text);
        return zortest::underFileLimit(limit, [&] {
            const int code = Parse::parseLoop(script.c_str(), "", passFlagByName);
            return std::to_string(code) + " " + std::to_string(Parse::getLastVerifyResult()) + " " +
                   Parse::getIO().getWriteError();
        });
    }
};

// A report or closing line feed that did not go in whole is a failure, never a
// pass: the verification fails, and the run answers -3 as for an output file
// that cannot be opened (the provider way is the comparison value's test).
TEST_F(RunDriverTest, OutputThatCannotBeWrittenWholeFails) {
    std::string passes = resultfile();
    for (int i = 0; i < 50; ++i) passes += "passed { verify: a == 1 }\n";
    ASSERT_EQ(runLimited(passes, RLIM_INFINITY), "0 0 ");
    const std::string whole = output();
    const struct {
        rlim_t limit;
        std::string said;
        std::string kept;
    } cases[] = {
        {whole.size() - 1, "-3 0 File too large", whole.substr(0, whole.size() - 1)},
        {100, "-3 1 File too large", whole.substr(0, 100)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        std::remove(dir.file("out.txt").c_str());
        EXPECT_EQ(runLimited(passes, c.limit), c.said);
        EXPECT_EQ(output(), c.kept);
    }
}

TEST_F(RunDriverTest, RunAppendsTheApprovedReports) {
    EXPECT_EQ(runInChild(resultfile() + runBody, runRegistered), -4);
    EXPECT_TRUE(zortest::matchesGolden("run_script.txt", output()));
    EXPECT_EQ(output(), blocks() + "\n");
}

// Observing is listening only: the observed run appends the approved bytes and
// returns the code of an unobserved one.
using VerifyObserverTest = RunDriverTest;
TEST_F(VerifyObserverTest, ObservedRunWritesAndReturnsWhatAnUnobservedOneDoes) {
    heardFile = dir.file("heard.txt");
    const std::string text = resultfile() + flagsBody;
    EXPECT_EQ(runInChild(text, passFlagByName, "", listen), -4);
    EXPECT_TRUE(zortest::matchesGolden("run_pass_flags.txt", output()));
    EXPECT_EQ(output(), blocks() + "\n");
    const int failed = Parse::adjustLine(static_cast<int>(text.find("failed")), 2);
    const int passed = Parse::adjustLine(static_cast<int>(text.find("passed")), 4);
    EXPECT_EQ(zortest::readFile(heardFile), "failed " + std::to_string(failed) + " 0 1\npassed " +
                                                std::to_string(passed) + " 1 0\n");
}

int nested[3];
int reenteringCallback() {
    const std::string self = Parse::getIO().getInFileName();
    nested[0] = Parse::parseLoop(self.c_str(), "", nullptr);
    nested[1] = Parse::readLoop(self.c_str(), "t");
    nested[2] = Parse::closeLoop();
    return -1;
}

// Calls from inside a run, with null pointers, or with names too long to copy whole.
TEST_F(RunDriverTest, RefusedCallsChangeNothing) {
    const std::string script = write("nested.txt", resultfile() + "t { }\n");
    ASSERT_EQ(Parse::parseLoop(script.c_str(), "", reenteringCallback), 0);
    EXPECT_EQ(std::vector<int>(nested, nested + 3), (std::vector<int>{-1, -1, 0}));
    const std::string longName(Parse::entryNameSize, 'n');
    const std::string noRoomForTxt(Parse::entryNameSize - 4, 'n');
    for (int code : {Parse::parseLoop(nullptr, "", nullptr),
                     Parse::parseLoop(script.c_str(), nullptr, nullptr),
                     Parse::parseLoop(longName.c_str(), "", nullptr),
                     Parse::parseLoop(script.c_str(), longName.c_str(), nullptr),
                     Parse::readLoop(nullptr, "f"), Parse::readLoop("x.txt", nullptr),
                     Parse::readLoop(noRoomForTxt.c_str(), "f"),
                     Parse::readLoop((noRoomForTxt + ".txt").c_str(), "f")})
        EXPECT_EQ(code, -1);
    EXPECT_STREQ(Parse::getFilterName(), "");
    EXPECT_EQ(Parse::hasCallback(), 1);
    Parse::setLastOutFile(std::string(Parse::textSize, 'f').c_str());  // would name another file
    EXPECT_STREQ(Parse::getLastOutFile(), "");
    EXPECT_EQ(Parse::parseLoop(dir.file("absent.txt").c_str(), "g", nullptr), -2);  // replacing:
    EXPECT_STREQ(Parse::getFilterName(), "g");
    EXPECT_EQ(Parse::hasCallback(), 0);
}

// The provider way keeps the parsed tests while the file's modification time, in
// whole seconds, is not later than the end of the parse that filled them; a run
// empties the cache. The parse error in line 3 tells a parse (3) from a reuse (0).
TEST_F(RunDriverTest, ProviderServesTestsFromTheCacheWhileTheFileIsUnchanged) {
    Parse::parseLoop(write("empty.txt", "").c_str(), "", nullptr);
    const std::time_t parsed = std::time(nullptr);
    auto provide = [&](const std::string& user, std::time_t modified, int code, const char* got) {
        const std::string file =
            write("provider.txt", resultfile() + "extern login { user = \"" + user +
                                      "\" verify: status == 0 }\na b{}\n");
        const utimbuf times{modified, modified};
        EXPECT_EQ(utime(file.c_str(), &times), 0);
        EXPECT_EQ(Parse::readLoop(file.c_str(), "login"), code) << user;
        EXPECT_STREQ(static_cast<char*>(in["user"]), got) << user;
    };
    provide("guest", 0, 3, "guest");
    out["status"] = 1;
    EXPECT_EQ(Parse::closeLoop(), 1);  // a mismatch fails
    EXPECT_EQ(output(),
              "login\r\n{\r\n  verified:\r\n    status == 0; [int status = 1] ERROR\r\n"
              "  logged:\r\n}\r\n\r\n");
    EXPECT_EQ(Parse::getLastVerifyResult(), 0);
    EXPECT_EQ(Parse::closeLoop(), 0);      // the first emptied the filter name
    provide("admin", parsed, 0, "guest");  // modified within the cached second (or before)
    provide("admin", parsed + 5, 3, "admin");
    Parse::parseLoop(write("empty.txt", "").c_str(), "", nullptr);
    provide("guest", parsed - 100, 3, "guest");
}

// The callback of an earlier run stays out of the provider's parse: there it
// would run the script's tests, delete its files and cache no extern record.
TEST_F(RunDriverTest, ProviderAfterARunRunsNothingOfTheScript) {
    const std::string kept = write("kept.txt", "x");
    const std::string file =
        write("provider.txt",
              resultfile() + "deletefile \"" + kept + "\"\np { }\nextern p { user = \"guest\" }\n");
    Parse::parseLoop(write("empty.txt", "").c_str(), "", passFlagByName);
    EXPECT_EQ(Parse::readLoop(file.c_str(), "p"), 0);
    EXPECT_STREQ(static_cast<char*>(in["user"]), "guest");
    EXPECT_EQ(zortest::readFile(kept), "x");
    EXPECT_EQ(output(), "");
}

}  // namespace
