#include <gtest/gtest.h>
#include <stdlib.h>

#include "JsonReport.h"
#include "RecordPositions.h"
#include "ZorRunFixture.h"

namespace {

class ZorRunReportTest : public zorruntest::ZorRunFixture {
protected:
    std::string query(const std::string& xpath) const { return xmllint("--xpath", xpath); }
};

constexpr char greenOk[] = "\x1b[32mok\x1b[0m";

// ZorRun with stdout on a pseudo-terminal, as in an interactive shell, with
// TERM removed and NO_COLOR set to the value given, or removed when it is null.
std::string stdoutOnTerminal(const std::vector<std::string>& args, const std::string& dir,
                             const char* noColor) {
    std::vector<std::string> argv{"/usr/bin/env", "-u", "TERM"};
    if (noColor) {
        argv.push_back(std::string("NO_COLOR=") + noColor);
    } else {
        argv.insert(argv.end(), {"-u", "NO_COLOR"});
    }
    argv.push_back(ZORRUN_PATH);
    argv.insert(argv.end(), args.begin(), args.end());
    return zorruntest::runChild(argv, dir, 1).out;
}

// Each failed entry under its test, as the report shows it, but for doubles
// that the report's six decimals show alike.
TEST_F(ZorRunReportTest, FailedTestsShowTheirEntriesAndEveryTestItsLine) {
    struct Case {
        std::string record, details;
    };
    const Case cases[] = {
        {"zortst { a = 1 verify: a == 2 }", "    expected a == 2, actual 1\n"},
        {"zortst { d = 0.30000000000000004 verify: d == 0.3 }",
         "    expected d == 0.3, actual 0.30000000000000004\n"},
        {"zortst { d = 1.5 verify: d >= 2.5 }", "    expected d >= 2.500000, actual 1.500000\n"},
        {"zortst { s = \"x\" verify: s == \"y\" n < 1 }",
         "    expected s == \"y\", actual \"x\"\n    expected n <  1, actual undefined\n"},
        {"zortst { verify: n < 1 }", "    expected n <  1, actual undefined\n"},
        {"zortst { t = 1 verify: t == \"1\" }", "    expected t == \"1\", actual int 1\n"},
        {"nofunc { a = 1 verify: a == 1 }", "    no test function nofunc (did you mean --load?)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        // A CR LF counts as one line break, as in the position.
        write("s.txt", "resultfile \"out.txt\"\r\n\r\n" + c.record + "\r\n");
        const std::string name = c.record.substr(0, 6);
        auto run = zorRun({"s.txt"});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "== s.txt\n" + name + " 22 (s.txt:3): FAIL (out.txt)\n" + c.details +
                               "tests: 1, passed: 0, failed: 1, scripts with errors: 0\n");
    }
}

TEST_F(ZorRunReportTest, HintFollowsAStringTheScannerCannotRead) {
    const std::pair<std::string, std::string> cases[] = {
        {"a = \"x\ty\"",
         "s.txt:2:14: note: strings hold printable ASCII characters except \" "
         "and `\n"},
        {"a = \"x`y\"",
         "s.txt:2:14: note: strings hold printable ASCII characters except \" "
         "and `\n"},
        {"a = }", ""},
    };
    for (const auto& [entry, hint] : cases) {
        write("s.txt", "resultfile \"out.txt\"\nzortst { " + entry + " }\n");
        auto run = zorRun({"s.txt"});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.ends_with(")\n" + hint)) << run.err;
        EXPECT_EQ(run.err.find("note:"), hint.empty() ? std::string::npos : run.err.find("note:"));
    }
}

// Checks the document against the schema the README gives and prints what
// it holds, one line per script and per test.
const char* const jsonChecker = R"PY(
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
def need(ok, what):
    if not ok: sys.exit("schema: " + what)
def count(value): return isinstance(value, int) and not isinstance(value, bool)
def time(value): return value is None or (isinstance(value, (int, float)) and value >= 0)
need(set(doc) == {"version", "scripts"} and doc["version"] == 1, "document")
test_keys = {"name", "position", "file", "line", "verdict", "duration", "outFile", "failures"}
for s in doc["scripts"]:
    need(set(s) == {"path", "tests", "errors", "outcome", "passed", "failed", "duration"}, "script")
    need(s["outcome"] in ("passed", "failed", "error") and count(s["passed"]), "outcome")
    need(count(s["failed"]) and time(s["duration"]) and s["duration"] is not None, "counts")
    need(all(isinstance(e, str) for e in s["errors"]), "errors")
    print(s["path"], s["outcome"], s["passed"], s["failed"], s["errors"])
    for t in s["tests"]:
        need(test_keys <= set(t) <= test_keys | {"message"}, "test keys")
        need(isinstance(t["name"], str) and t["file"] == s["path"], "name, file")
        need(t["position"] is None or count(t["position"]), "position")
        need(t["line"] is None or (count(t["line"]) and t["line"] >= 1), "line")
        need(t["verdict"] in ("passed", "failed", "error") and time(t["duration"]), "verdict")
        for f in t["failures"]:
            need(set(f) == {"expected", "actual"} and all(isinstance(v, str) for v in f.values()), "failure")
        entries = [f["expected"] + "|" + f["actual"] for f in t["failures"]]
        if t["name"] == "everyByte":
            entries = [e == 'text == ""|"' + "".join(map(chr, range(1, 201))) + '"...' for e in entries]
        print(" ", t["name"], t["position"], t["line"], t["verdict"], entries, t.get("message", ""))
)PY";

TEST_F(ZorRunReportTest, JsonReportFollowsItsSchema) {
    write("check.py", jsonChecker);
    write("mixed.txt",
          "resultfile \"out.txt\"\n"
          "zortst { a = 1 verify: a == 1 }\n"
          "zortst { d = 0.30000000000000004 verify: d == 0.3 }\n"
          "nofunc { }\n"
          "everyByte { verify: text == \"\" }\n"
          "crash { }\n");
    write("broken.txt", "resultfile \"out.txt\"\nzortst { a = }\n");
    write("report.json", "the former report");
    auto run = zorRun({"--load", ZOR_TEST_MODULE, "--json", "report.json", "mixed.txt",
                       "broken.txt", "missing.txt"});
    EXPECT_EQ(run.status, 2);
    auto checked =
        zorruntest::runChild({ZOR_PYTHON3, "check.py", "report.json"}, dir.path().string());
    EXPECT_EQ(checked.err, "");
    EXPECT_EQ(checked.out,
              "mixed.txt error 1 4 []\n"
              "  zortst 20 2 passed [] \n"
              "  zortst 51 3 failed ['d == 0.3|0.30000000000000004'] \n"
              "  nofunc 102 4 failed [] no test function nofunc (did you mean --load?)\n"
              "  everyByte 112 5 failed [True] \n"
              "  crash 144 6 error [] test function crashed: SIGSEGV in crash 144\n"
              "broken.txt error 0 0 ['broken.txt:2:14: parse error in line 2 ( }... )']\n"
              "missing.txt error 0 0 ['cannot open script: No such file or directory']\n");

    // A report that cannot be drafted stops the run; one that would replace a
    // script is refused.
    const std::pair<std::string, std::string> refused[] = {
        {"nodir/r.json", "nodir/r.json: cannot write JSON report: No such file or directory\n"},
        {"mixed.txt", "mixed.txt: cannot write JSON report: it is one of the scripts\n"},
    };
    for (const auto& [file, err] : refused) {
        auto stopped = zorRun({"--json", file, "mixed.txt"});
        EXPECT_EQ(stopped.status, 2);
        EXPECT_EQ(stopped.err, err);
        EXPECT_EQ(stopped.out, "");
    }
}

// A test that crashed got no verdict: its line is found in the script.
TEST_F(ZorRunReportTest, JUnitTestcasesCarryFileLineAndTime) {
    write("s.txt",
          "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n\n"
          "zortst { a = 1 verify: a == 2 }\ncrash { }\n");
    auto run = zorRun({"--load", ZOR_TEST_MODULE, "--junit", "report.xml", "s.txt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(xmllint("--noout"), "");
    EXPECT_EQ(query("concat(//testcase[1]/@file, ':', //testcase[1]/@line, ' ', "
                    "//testcase[2]/@line, ' ', //testcase[3]/@line, ' ', "
                    "count(//testcase[@time >= 0]))"),
              "s.txt:2 4 5 3");
}

TEST_F(ZorRunReportTest, ColourOnlyOnATerminalOrWhenAsked) {
    write("s.txt", "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n");
    const std::string dirPath = dir.path().string();
    struct Case {
        std::vector<std::string> args;
        const char* noColor;
        bool coloured;
    };
    const Case onTerminal[] = {
        {{"s.txt"}, nullptr, true},
        {{"s.txt"}, "", true},  // an empty NO_COLOR counts as unset
        {{"s.txt"}, "1", false},
        {{"--color=never", "s.txt"}, nullptr, false},
        {{"--color", "always", "s.txt"}, "1", true},
    };
    for (const Case& c : onTerminal) {
        SCOPED_TRACE(c.args.front() + (c.noColor ? std::string(" NO_COLOR=") + c.noColor : ""));
        const std::string out = stdoutOnTerminal(c.args, dirPath, c.noColor);
        EXPECT_EQ(out.find(greenOk) != std::string::npos, c.coloured) << out;
        EXPECT_EQ(out.find("\x1b[") != std::string::npos, c.coloured) << out;
    }
    EXPECT_EQ(zorRun({"s.txt"}).out.find('\x1b'), std::string::npos);
    auto always = zorRun({"--color=always", "s.txt"});
    EXPECT_EQ(always.out, std::string("== s.txt\nzortst 20 (s.txt:2): ") + greenOk +
                              " (out.txt)\n\x1b[32mtests: 1, passed: 1, failed: 0, scripts with "
                              "errors: 0\x1b[0m\n");
    EXPECT_EQ(zorRun({"--color=sometimes", "s.txt"}).err,
              "ZorRun: --color expects auto, always or never, not 'sometimes'\n"
              "Try 'ZorRun --help' for more information.\n");
}

// Positions leave out line feeds, so a CR LF counts as one character.
TEST(LineCounterTest, PositionsFindTheirLinesInOrderAndAgain) {
    zortest::TempDir dir;
    zortest::writeFile(dir.file("s.txt"), "ab\ncd\r\n\nef");
    zorrun::LineCounter lines;
    lines.open(dir.file("s.txt"));
    const std::pair<int, int> asked[] = {{0, 1}, {1, 1}, {2, 2}, {4, 2}, {5, 4},
                                         {1, 1}, {6, 4}, {7, 0}, {-1, 0}};
    for (const auto& [position, line] : asked) EXPECT_EQ(lines.lineOf(position), line) << position;
    // Read a piece at a time: lines past the first piece are counted alike.
    std::string longer;
    for (int i = 0; i < 20000; ++i) longer += "x\n";
    zortest::writeFile(dir.file("long.txt"), longer);
    lines.open(dir.file("long.txt"));
    EXPECT_EQ(lines.lineOf(9000), 9001);
    EXPECT_EQ(lines.lineOf(19999), 20000);
    EXPECT_EQ(lines.lineOf(20000), 0);
}

TEST(JsonStringTest, EscapesWhatJsonCannotHoldAndKeepsValidUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\"b\\c", R"("a\"b\\c")"},
        {std::string("\x01\n\x7f", 3), R"("\u0001\u000a\u007f")"},
        {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\""},
        // A lone continuation, an overlong slash, a surrogate, past U+10FFFF, cut short.
        {"\x80", R"("\u0080")"},
        {"\xc0\xaf", R"("\u00c0\u00af")"},
        {"\xed\xa0\x80", R"("\u00ed\u00a0\u0080")"},
        {"\xf4\x90\x80\x80", R"("\u00f4\u0090\u0080\u0080")"},
        {"\xe2\x82", R"("\u00e2\u0082")"},
    };
    for (const auto& [text, json] : cases) {
        std::string out;
        zorrun::appendJsonString(out, text);
        EXPECT_EQ(out, json);
    }
}

}  // namespace
