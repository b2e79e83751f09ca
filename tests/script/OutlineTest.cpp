// Outlines against what a real run of the same script reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "ScriptFixture.h"
#include "run/AdaptIO.h"
#include "run/Parse.h"
#include "script/ScriptEngine.h"
#include "script/ScriptOutline.h"
#include "store/DataMap.h"

namespace {

using Named = std::vector<std::pair<std::string, int>>;
using scripttest::elementsOf;
namespace fs = std::filesystem;

Named selected;

// Passes every test over, so that a run shows where each one stands.
int selectNone(const char* name, int position) {
    selected.emplace_back(name, position);
    return 0;
}

// The text from the given line and column on.
std::string textAt(const std::string& script, int line, int column) {
    std::size_t start = 0;
    for (int at = 1; at < line; ++at) start = script.find('\n', start) + 1;
    return script.substr(start + static_cast<std::size_t>(column) - 1);
}

// "kind name@line:column>outFile" per record, then "kind name@line" per file.
std::string summary(const ScriptOutline& outline) {
    const char* kinds[] = {"test", "global", "extern"};
    std::string text;
    for (const OutlineRecord& r : outline.records)
        text += std::string(kinds[r.kind]) + " " + r.name + "@" + std::to_string(r.line) + ":" +
                std::to_string(r.column) + ">" + std::to_string(r.outFile) + " ";
    for (const OutlineFile& f : outline.files)
        text += std::string(f.kind == OutlineFile::resultFile ? "| result " : "| delete ") +
                (f.computed ? "()" : f.name) + "@" + std::to_string(f.line) + " ";
    return text;
}

class OutlineTest : public scripttest::ScriptFixture {
protected:
    ~OutlineTest() override { Parse::setTestSelector(nullptr); }

    Named runSelected(const std::string& path) {
        selected.clear();
        Parse::setTestSelector(selectNone);
        Parse::parseLoop(path.c_str(), "", recordTest);
        Parse::setTestSelector(nullptr);
        return selected;
    }
    ScriptOutline outline(const std::string& path, int expected = 0) {
        ScriptOutline result;
        EXPECT_EQ(Parse::outlineScript(path.c_str(), result), expected);
        return result;
    }
};

// Tests stand where the run's selector sees them, and every record's line and
// column find its name (a global record's "{") at that position.
TEST_F(OutlineTest, RecordsStandWhereTheRunSeesThem) {
    std::string longScript;
    for (int i = 0; longScript.size() < 40000; ++i)
        longScript += (i % 3 ? "\r\n" : "\n") + std::string(i % 7, ' ') + "t" + std::to_string(i) +
                      " { a = \"// " + std::to_string(i) + "\" } /* c\n*/";
    const std::string scripts[] = {
        // With the variables that the example's test functions would make.
        "{ session { id = 1 user = \"a\" } }\n" + zortest::readFile(ZOR_EXAMPLE_SCRIPT),
        // "/*/" is a whole comment: the star and the slash close what they open.
        "/*/ zortst { a = 1 }\nzortst { b = \"//x\" } zortst { c = \"*/\" }\r\n"
        "  next.one { }\r\n{ g = 1 }\n/* two\r\nlines */ last[2] { } // end",
        "//*/ a { }\r\n// b { }\r\n\tc {\r\n// d { }\r\n}\r\n  /**/e { verify: x == 1 }\r\n",
        longScript,
    };
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());  // where the example's files go
    for (const std::string& script : scripts) {
        SCOPED_TRACE(script.substr(0, 40));
        const std::string path = write("script.txt", script);
        const ScriptOutline result = outline(path);
        Named tests;
        for (const OutlineRecord& r : result.records) {
            if (r.kind == OutlineRecord::test) tests.emplace_back(r.name, r.position);
            const std::string name = r.kind == OutlineRecord::global ? "{" : r.name;
            const std::string from = textAt(script, r.line, r.column);
            EXPECT_EQ(from.substr(0, name.size()), name);
            EXPECT_EQ(r.position, static_cast<int>(script.size() - from.size()) - r.line + 1);
        }
        EXPECT_FALSE(tests.empty());
        EXPECT_EQ(tests, runSelected(path));
    }
    fs::current_path(previous);
}

// A name of strings alone is known; one built from a variable (which a test
// function may make) is computed, and no variable is an error.
TEST_F(OutlineTest, KindsFilesAndComputedNames) {
    const ScriptOutline result = outline(write(
        "script.txt",
        "a { }\nresultfile \"one.txt\"\nextern e\n{ }\ndeletefile \"gone.txt\"\n{ v = (made) }\n"
        "resultfile\n(\"two\" \".txt\")\nb { x = (none) l[] { (none) { y = (none) } } }\n"
        "deletefile (\"out_\" (v) \".txt\") resultfile ((v)) c { }"));
    EXPECT_EQ(summary(result),
              "test a@1:1>-1 extern e@3:8>0 global @6:1>0 test b@9:1>2 test c@10:49>4 "
              "| result one.txt@2 | delete gone.txt@5 | result two.txt@7 | delete ()@10 "
              "| result ()@10 ");
    EXPECT_EQ(result.errorText, "");
}

// The error of an outline is the run's: text, line and position; the column
// stays within the line even where the run's position at the end does not.
TEST_F(OutlineTest, ErrorsReadAsTheRunReportsThem) {
    const struct {
        std::string script;
        int column;
        std::size_t records;
    } cases[] = {
        {"a { x = 1 }\r\n\r\n  b c", 5, 1},
        {"t { l[] { {-1.5.5\n} } }", 12, 0},
        {"a { x = 1\r", 10, 0},
        {"a {\r\n x = 1\r\n", 1, 0},
        {"resultfile (\"" + std::string(300, 'a') + "\" \"" + std::string(200, 'b') + "\")", 316,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.substr(0, 40));
        const std::string path = write("script.txt", c.script);
        runSelected(path);
        ASSERT_GT(Parse::getErrLine(), 0);
        const ScriptOutline result = outline(path, Parse::getErrLine());
        EXPECT_EQ(result.errorText, Parse::getErrString());
        EXPECT_EQ(result.errorPos, Parse::getErrPos());
        EXPECT_EQ(result.errorColumn, c.column);
        EXPECT_EQ(result.records.size(), c.records);
    }
}

// A provider between its calls keeps its test, its error and its output file.
TEST_F(OutlineTest, TheRunStateStaysAsItWas) {
    const std::string provided =
        write("provided.txt", resultfile() + "extern ext { a = 1 verify: r == 2 }\n}");
    EXPECT_EQ(Parse::readLoop(provided.c_str(), "ext"), 3);
    const auto state = [] {
        return std::to_string(Parse::getErrLine()) + " " + Parse::getErrString() +
               std::to_string(Parse::getErrPos()) + " " + std::to_string(zor::recordPosition()) +
               " " + std::string(Parse::getLastOutFile()) + " " + Parse::getFilterName() + " " +
               std::to_string(Parse::getLastVerifyResult()) + " " +
               elementsOf(Parse::getInStore()[0]) + " " + elementsOf(Parse::getVerStore()[0]);
    };
    const std::string before = state();
    outline(write("other.txt",
                  "resultfile \"elsewhere.txt\"\n{ g = 1 }\nextern x { b = 2 }\n"
                  "t { // marker\n c = 3 verify: e == 1 }\nu {\n  d = ]"),
            7);
    EXPECT_EQ(state(), before);
    EXPECT_EQ(Parse::getOutStore().getData(nullptr), nullptr);
    EXPECT_EQ(Parse::readLoop(provided.c_str(), "ext"), 0);  // the cache still serves it
}

ScriptOutline* fromInside = nullptr;
int outlineFromInside() {
    EXPECT_EQ(Parse::outlineScript(Parse::getIO().getInFileName(), *fromInside), -1);
    return -1;
}

TEST_F(OutlineTest, RefusedWhileBusyWithoutAFileOrAName) {
    ScriptOutline result;
    result.errorLine = 5;
    fromInside = &result;
    EXPECT_EQ(
        Parse::parseLoop(write("s.txt", resultfile() + "t { }").c_str(), "", outlineFromInside), 0);
    EXPECT_EQ(result.errorLine, 5);
    EXPECT_EQ(Parse::outlineScript(nullptr, result), -1);
    EXPECT_EQ(Parse::outlineScript(dir.file("missing.txt").c_str(), result), -2);
}

}  // namespace
