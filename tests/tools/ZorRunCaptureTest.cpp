// What test functions print goes with the test that printed it: under its
// verdict on the console when it failed, in its testcase's system-out, in
// its JSON result and on the report page; in a run of one job or of two.
#include <gtest/gtest.h>

#include "ZorRunFixture.h"

namespace {

class ZorRunCaptureTest : public zorruntest::ZorRunFixture {
protected:
    zorruntest::ChildResult local(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--load", ZOR_TEST_MODULE});
        return zorRun(args);
    }
};

std::string sayScript(const std::string& out, const std::string& word) {
    return "resultfile \"" + out + "\"\n" + "say { out = \"" + word + " passes\" }\n" +
           "say { out = \"" + word + " fails\" err = \"" + word +
           " on stderr\" verify: missing == 1 }\n";
}

}  // namespace

TEST_F(ZorRunCaptureTest, EachTestsOutputGoesWithItsVerdict) {
    write("a.zor.txt", sayScript("a.out", "first"));
    write("b.zor.txt", sayScript("b.out", "second"));
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(jobs);
        const auto run = local({"-j", jobs, "--junit", "report.xml", "--json", "r.json", "--html",
                                "r.html", "a.zor.txt", "b.zor.txt"});
        EXPECT_EQ(run.status, 1) << run.err;
        // Only a failed test's output is shown, right under its lines.
        EXPECT_NE(run.out.find("say 47 (b.zor.txt:3): FAIL (b.out)\n"
                               "    expected missing == 1, actual undefined\n"
                               "    captured output:\n"
                               "    | second fails\n"
                               "    | second on stderr\n"),
                  std::string::npos)
            << run.out;
        EXPECT_EQ(run.out.find("passes"), std::string::npos) << run.out;
        EXPECT_EQ(xmllint("--noout"), "");
        EXPECT_EQ(query("string(//testcase[@classname='a.zor.txt'][1]/system-out)"),
                  "first passes\n");
        EXPECT_EQ(query("string(//testcase[@classname='a.zor.txt'][2]/system-out)"),
                  "first fails\nfirst on stderr\n");
        EXPECT_EQ(query("count(//testsuite/system-out)"), "0");
        const std::string json = read("r.json");
        EXPECT_NE(json.find(R"("line":2,"verdict":"passed")"), std::string::npos);
        EXPECT_NE(json.find(R"("output":"second passes\u000a"})"), std::string::npos) << json;
        EXPECT_EQ(json.find(R"(,"output":"first passes\u000afirst)"), std::string::npos) << json;
        const std::string page = read("r.html");
        EXPECT_NE(page.find("captured output (28 bytes)</summary><pre class=\"report\">first "
                            "fails\nfirst on stderr\n</pre></details>\n</details>"),
                  std::string::npos);
    }
}

// Output printed line by line is kept up to the moment a test crashes, and
// stands under the error that the crash is.
TEST_F(ZorRunCaptureTest, ACrashedTestKeepsWhatItPrinted) {
    write("crash.zor.txt", "resultfile \"out.txt\"\nsayThenCrash { }\n");
    const auto run = local({"--junit", "report.xml", "crash.zor.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("sayThenCrash 20 (crash.zor.txt:2): ERROR test function crashed: "
                           "SIGSEGV\n    captured output:\n    | going down\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(query("string(//testcase/system-out)"), "going down\n");
}
