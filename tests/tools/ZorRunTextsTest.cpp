// What ZorRun writes and reads back: texts made safe for the XML, JSON and HTML
// reports and the page that shows a run; the lines that positions stand on, the
// verdicts of an output file's report blocks for remote runs, and the failures
// it keeps for --last-failed.
#include <gtest/gtest.h>

#include "HtmlReport.h"
#include "JsonReport.h"
#include "LastFailed.h"
#include "RecordPositions.h"
#include "ReportBlocks.h"
#include "TempDir.h"
#include "TestSelection.h"
#include "XmlText.h"

namespace {

TEST(XmlTextTest, TextsBecomeXmlThatReadsBackWithoutLoss) {
    using zorrun::XmlPlace;
    const struct {
        std::string_view text;
        XmlPlace place;
        const char* xml;
    } cases[] = {
        // Attribute normalisation would turn tabs and line breaks into blanks.
        {"<&>\"'\t\r\n", XmlPlace::attribute, "&lt;&amp;&gt;&quot;&apos;&#x9;&#xD;&#xA;"},
        {std::string_view("\x01|\0|\x1F|\x1B", 7), XmlPlace::attribute,
         "\u2401|\u2400|\u241F|\u241B"},
        {"caf\u00E9 \u20AC \U0001F600 \u007F", XmlPlace::content,
         "caf\u00E9 \u20AC \U0001F600 \u007F"},
        // Latin-1, cut short, overlong, surrogate, U+FFFE, past U+10FFFF.
        {"\xE9 \xE2\x82 \xC0\x80 \xED\xA0\x80 \xEF\xBF\xBE \xF4\x90\x80\x80", XmlPlace::content,
         "&#xE9; &#xE2;&#x82; &#xC0;&#x80; &#xED;&#xA0;&#x80; &#xEF;&#xBF;&#xBE; "
         "&#xF4;&#x90;&#x80;&#x80;"},
    };
    for (const auto& c : cases) {
        std::string out;
        zorrun::appendXml(out, c.text, c.place);
        EXPECT_EQ(out, c.xml) << c.text;
    }
}

// The JSON report and the page's data escape alike (the page's own escapes of
// markup are checked with the page). Bytes that are not valid UTF-8 read as
// Latin-1.
TEST(JsonStringTest, EscapesWhatJsonCannotHoldAndKeepsValidUtf8) {
    const std::pair<std::string_view, const char*> cases[] = {
        {"a\"b\\c", R"("a\"b\\c")"},
        {std::string_view("\t\n\x01\0\x7F", 5), R"("\u0009\u000a\u0001\u0000\u007f")"},
        {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\""},
        // A lone continuation, an overlong slash, a surrogate, past U+10FFFF, cut short.
        {"\x80 \xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \xe9 \xe2\x82",
         R"("\u0080 \u00c0\u00af \u00ed\u00a0\u0080 \u00f4\u0090\u0080\u0080 \u00e9 \u00e2\u0082")"},
    };
    for (const auto& [text, escaped] : cases) {
        SCOPED_TRACE(text);
        std::string json, page;
        zorrun::appendJsonString(json, text);
        zorrun::appendPageJsonString(page, text);
        EXPECT_EQ(json, escaped);
        EXPECT_EQ(page, escaped);
    }
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Every text a run brings (names, paths, values, reports, the command line)
// shows as text, in the markup and in the data alike.
TEST(HtmlReportTest, RunTextsNeverBecomeMarkup) {
    const std::string payload = "<script>alert(1)</script>";
    zorrun::HtmlRun run;
    run.host = payload;
    run.commandLine = payload;
    zorrun::HtmlTest test;
    test.name = payload;
    test.verdict = zorrun::HtmlVerdict::failed;
    test.failedEntries = {{payload, payload}};
    test.report = payload;
    run.scripts.push_back({payload, {{2, 5, payload}}, {test}});
    run.spans = {{1, 0, 0, 1}, {2, 0, 1, 2}};
    const std::string page = zorrun::renderHtmlReport(run);
    EXPECT_EQ(occurrences(page, "<script>alert"), 0u);
    EXPECT_EQ(occurrences(page, "</script>"), 2u);  // the page's own two
    EXPECT_GE(occurrences(page, "&lt;script&gt;alert(1)&lt;/script&gt;"), 9u);
}

// Paths with the separators of the format in them come back whole.
TEST(TestSelectionTest, FailuresKeptInTheFileComeBackAsTheyWere) {
    zortest::TempDir dir;
    const std::string path = dir.file("lastfailed");
    zorrun::FailedTests before;
    before["odd\tname\\with\nbreaks.txt"] = {{"login", 57}, {"", -1}};
    before["a.txt"] = {{"x.y", 0}};
    zorrun::FailureLog log(before);
    std::string reason;
    ASSERT_TRUE(log.save(dir.file("folder"), path, reason)) << reason;
    EXPECT_EQ(zorrun::readLastFailed(path), before);
    // A file of another format holds no failures.
    zortest::writeFile(path, "a.txt\tlogin 57\n");
    EXPECT_TRUE(zorrun::readLastFailed(path).empty());
}

// Positions leave out line feeds, so a CR LF counts as one character. The
// file is read a piece at a time: lines past the first piece count alike.
TEST(LineCounterTest, PositionsFindTheirLinesInOrderAndAgain) {
    zortest::TempDir dir;
    std::string text = "ab\ncd\r\n\n";
    for (int i = 0; i < 20000; ++i) text += "x\n";
    zortest::writeFile(dir.file("s.txt"), text);
    zorrun::LineCounter lines;
    lines.open(dir.file("s.txt"));
    const std::pair<int, int> asked[] = {{2, 2},         {5, 4},     {1, 1}, {9005, 9004},
                                         {20004, 20003}, {20005, 0}, {-1, 0}};
    for (const auto& [position, line] : asked) EXPECT_EQ(lines.lineOf(position), line) << position;
}

TEST(ReportBlocksTest, EachBlockIsJudgedByItsEntriesAndItsClosingLine) {
    const std::string passed =
        "login\r\n{\r\n  // first test\r\n  verified:\r\n    status == 0\r\n  logged:\r\n"
        "    extra = 7\r\n}\r\n\r\n";
    const std::string entryFailed =
        "price\r\n{\r\n  verified:\r\n    total == 3; [int total = 4] ERROR\r\n  "
        "logged:\r\n}\r\n\r\n";
    const std::string closedFailed = "ship\r\n{\r\n  verified:\r\n  logged:\r\n} [ERROR]\r\n\r\n";
    // A trace block and an error text between the blocks are passed over, an
    // ERROR in a logged value fails nothing, and a block cut short is no verdict.
    const std::string loggedError =
        "t\r\n{\r\n  verified:\r\n  logged:\r\n    note = \"x] ERROR\r\n}\r\n\r\n";
    const std::string file = passed + "trace line\n{\n}\n" + entryFailed + closedFailed +
                             "syntax error in line 9\n\n" + loggedError +
                             "u\r\n{\r\n  verified:\r\n";
    const auto blocks = zorrun::reportBlocks(file);
    std::string judged;
    for (const auto& block : blocks)
        judged += block.name + (block.passed ? " passed, " : " failed, ");
    EXPECT_EQ(judged, "login passed, price failed, ship failed, t passed, ");
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks[0].text, passed.substr(0, passed.size() - 2));
}

}  // namespace
