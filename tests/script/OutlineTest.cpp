// Outlines against what a real run of the same script reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
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

// Passes every test over, so that a run shows where each one stands and
// nothing else happens.
int selectNone(const char* name, int position) {
    selected.emplace_back(name, position);
    return 0;
}

int neverCalled() {
    ADD_FAILURE() << "a test ran";
    return -1;
}

// The text from the given line and column on.
std::string textAt(const std::string& script, int line, int column) {
    std::size_t start = 0;
    for (int at = 1; at < line; ++at) start = script.find('\n', start) + 1;
    return script.substr(start + static_cast<std::size_t>(column) - 1);
}

int offsetOf(const std::string& script, int line, int column) {
    return static_cast<int>(script.size() - textAt(script, line, column).size());
}

// The example names its files relative to the folder it runs in.
class InFolder {
public:
    explicit InFolder(const fs::path& dir) : previous(fs::current_path()) { fs::current_path(dir); }
    ~InFolder() { fs::current_path(previous); }

private:
    fs::path previous;
};

std::string repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

class OutlineTest : public scripttest::ScriptFixture {
protected:
    ~OutlineTest() override { Parse::setTestSelector(nullptr); }

    // The tests a run passes over, with the run's error.
    Named runSelected(const std::string& path) {
        selected.clear();
        Parse::setTestSelector(selectNone);
        Parse::parseLoop(path.c_str(), "", neverCalled);
        Parse::setTestSelector(nullptr);
        return selected;
    }
    ScriptOutline outline(const std::string& path, int expected = 0) {
        ScriptOutline result;
        EXPECT_EQ(Parse::outlineScript(path.c_str(), result), expected);
        return result;
    }
    static Named testsOf(const ScriptOutline& outline) {
        Named tests;
        for (const OutlineRecord& record : outline.records)
            if (record.kind == OutlineRecord::test)
                tests.emplace_back(record.name, record.position);
        return tests;
    }
    // Every record's line and column find its name (or "{"), and its
    // position is that place counted as positions count.
    static void expectPlaces(const std::string& script, const ScriptOutline& outline) {
        for (const OutlineRecord& record : outline.records) {
            SCOPED_TRACE(record.name + " at " + std::to_string(record.position));
            const std::string name = record.kind == OutlineRecord::global ? "{" : record.name;
            EXPECT_EQ(textAt(script, record.line, record.column).substr(0, name.size()), name);
            EXPECT_EQ(record.position,
                      offsetOf(script, record.line, record.column) - (record.line - 1));
        }
    }
};

TEST_F(OutlineTest, RecordsStandWhereTheRunSeesThem) {
    std::string long_script;
    for (int i = 0; long_script.size() < 40000; ++i)
        long_script += (i % 3 ? "\r\n" : "\n") + std::string(i % 7, ' ') + "t" + std::to_string(i) +
                       " { a = \"// " + std::to_string(i) + "\" } /* c\n*/";
    // The variables that the example's test functions would make.
    const std::string example =
        "{ session { id = 1 user = \"a\" } }\n" + zortest::readFile(ZOR_EXAMPLE_SCRIPT);
    const std::string scripts[] = {
        example,
        // "/*/" is a whole comment: the star and the slash close what they open.
        "/*/ zortst { a = 1 }\nzortst { b = \"//x\" } zortst { c = \"*/\" }\r\n"
        "  next.one { }\r\n{ g = 1 }\n/* two\r\nlines */ last[2] { } // end",
        "//*/ a { }\r\n// b { }\r\n\tc {\r\n// d { }\r\n}\r\n  /**/e { verify: x == 1 }\r\n",
        "extern ext.name {\n a = 1 }\n   extern\n  second { }\n{ }\nthird { }",
        long_script,
    };
    InFolder folder(dir.path());
    for (const std::string& script : scripts) {
        SCOPED_TRACE(script.substr(0, 40));
        const std::string path = write("script.txt", script);
        const ScriptOutline result = outline(path);
        EXPECT_FALSE(result.records.empty());
        EXPECT_EQ(testsOf(result), runSelected(path));
        expectPlaces(script, result);
    }
}

TEST_F(OutlineTest, KindsAndTheResultFileInForce) {
    const std::string script =
        "a { }\nresultfile \"one.txt\"\nextern e\n{ }\ndeletefile \"gone.txt\"\n{ v = 1 }\n"
        "resultfile\n(\"two\" \".txt\")\nb { }";
    const ScriptOutline result = outline(write("script.txt", script));
    ASSERT_EQ(result.records.size(), 4u);
    const OutlineRecord& a = result.records[0];
    const OutlineRecord& e = result.records[1];
    const OutlineRecord& g = result.records[2];
    const OutlineRecord& b = result.records[3];
    EXPECT_EQ(std::make_tuple(a.kind, a.outFile), std::make_tuple(OutlineRecord::test, -1));
    EXPECT_EQ(std::make_tuple(e.kind, e.name, e.line, e.column, e.outFile),
              std::make_tuple(OutlineRecord::externTest, std::string("e"), 3, 8, 0));
    EXPECT_EQ(std::make_tuple(g.kind, g.name, g.line, g.outFile),
              std::make_tuple(OutlineRecord::global, std::string(), 6, 0));
    EXPECT_EQ(std::make_tuple(b.kind, b.outFile), std::make_tuple(OutlineRecord::test, 2));
    ASSERT_EQ(result.files.size(), 3u);
    EXPECT_EQ(std::make_tuple(result.files[1].kind, result.files[1].name, result.files[1].line),
              std::make_tuple(OutlineFile::deleteFile, std::string("gone.txt"), 5));
    // A name of strings alone is known; its statement starts on line 7.
    EXPECT_EQ(std::make_tuple(result.files[2].name, result.files[2].computed, result.files[2].line),
              std::make_tuple(std::string("two.txt"), false, 7));
}

// The error of an outline is the run's, text, line and position; the column
// stays within the line even where the run's position at the end does not.
TEST_F(OutlineTest, ErrorsReadAsTheRunReportsThem) {
    const struct {
        std::string script;
        int column;
        std::size_t records;
    } cases[] = {
        {"a { x = 1 }\r\n\r\n  b c", 5, 1},
        {"a { }\nt {\n a = 2147483648\n}", 6, 1},
        {"a { x = 1 }\n\n  /* open\nb { y = 2 }", 3, 1},
        {"a { x = 1", 10, 0},
        {"a {\r\n x = 1\r\n", 1, 0},
        {"a { }\n{ x = 1 }\nb{x>1}", 4, 2},
        {"t { l[] { {-1.5.5\n} } }", 12, 0},
        {"t { " + repeat("n { ", 19) + "x = 1 }", 81, 0},
        {"resultfile (\"" + std::string(300, 'a') + "\" \"" + std::string(200, 'b') + "\")", 316,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.substr(0, 40));
        const std::string path = write("script.txt", c.script);
        runSelected(path);
        const int line = Parse::getErrLine();
        ASSERT_GT(line, 0);
        const ScriptOutline result = outline(path, line);
        EXPECT_EQ(result.errorText, Parse::getErrString());
        EXPECT_EQ(result.errorPos, Parse::getErrPos());
        EXPECT_EQ(result.errorColumn, c.column);
        EXPECT_EQ(result.records.size(), c.records);
    }
}

// Nothing that a run resolves stops an outline: a variable may come from a
// test function, so a name built from one is only known to be computed.
TEST_F(OutlineTest, UndefinedVariablesAndComputedNames) {
    const std::string script =
        "{ n = (made) }\nresultfile (\"out_\" (n) \".txt\")\ndeletefile ((n))\n"
        "t { x = (none) l[] { (none) { y = (none) } } verify: z == (none) }\nu { }";
    const ScriptOutline result = outline(write("script.txt", script));
    EXPECT_EQ(result.errorLine, 0);
    EXPECT_EQ(result.errorText, "");
    ASSERT_EQ(result.records.size(), 3u);
    EXPECT_EQ(result.records[2].name, "u");
    ASSERT_EQ(result.files.size(), 2u);
    for (const OutlineFile& file : result.files) {
        EXPECT_TRUE(file.computed);
        EXPECT_EQ(file.name, "");
    }
}

TEST_F(OutlineTest, NothingIsCreatedDeletedOrWritten) {
    const std::string old = write("old.txt", "kept");
    const std::string fresh = dir.file("new.txt");
    const std::string script =
        "deletefile \"" + old + "\"\nresultfile \"" + fresh + "\"\nt { a = 1 }\nbroken {";
    const std::string path = write("script.txt", script);
    const ScriptOutline result = outline(path, 4);
    EXPECT_EQ(result.files.size(), 2u);
    EXPECT_EQ(zortest::readFile(old), "kept");
    EXPECT_FALSE(fs::exists(fresh));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"old.txt", "script.txt"}));
}

// A provider between its calls keeps its test, its error and its output file.
TEST_F(OutlineTest, TheRunStateStaysAsItWas) {
    const std::string provided =
        write("provided.txt", resultfile() + "extern ext { a = 1 verify: r == 2 }\n}");
    EXPECT_EQ(Parse::readLoop(provided.c_str(), "ext"), 3);
    const int verifyResult = Parse::getLastVerifyResult();
    const std::string in = elementsOf(Parse::getInStore()[0]);
    const std::string ver = elementsOf(Parse::getVerStore()[0]);
    const std::string errText = Parse::getErrString();
    const int errPos = Parse::getErrPos();
    const int position = zor::recordPosition();
    const std::string inFile = Parse::getIO().getInFileName();

    const std::string other = write("other.txt",
                                    "resultfile \"elsewhere.txt\"\n{ g = 1 }\nextern x { b = 2 }\n"
                                    "t { c = 3 // marker\n}\nu {\n  d = ]");
    outline(other, 7);

    EXPECT_EQ(Parse::getErrLine(), 3);
    EXPECT_EQ(Parse::getErrString(), errText);
    EXPECT_EQ(Parse::getErrPos(), errPos);
    EXPECT_EQ(Parse::getLastOutFile(), dir.file("out.txt"));
    EXPECT_STREQ(Parse::getFilterName(), "ext");
    EXPECT_EQ(Parse::getLastVerifyResult(), verifyResult);
    EXPECT_EQ(elementsOf(Parse::getInStore()[0]), in);
    EXPECT_EQ(elementsOf(Parse::getVerStore()[0]), ver);
    EXPECT_EQ(Parse::getOutStore().getData(nullptr), nullptr);
    EXPECT_EQ(zor::recordPosition(), position);
    EXPECT_EQ(Parse::getIO().getInFileName(), inFile);
    // The cache still serves the provider's file.
    EXPECT_EQ(Parse::readLoop(provided.c_str(), "ext"), 0);
    EXPECT_EQ(elementsOf(Parse::getInStore()[0]), in);
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
