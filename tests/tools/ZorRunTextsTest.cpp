// What ZorRun counts, and its texts made safe for the XML, JSON and HTML
// reports and the page that shows a run.
#include <gtest/gtest.h>

#include "HtmlReport.h"
#include "JsonReport.h"
#include "TerminalText.h"
#include "Totals.h"
#include "XmlText.h"

namespace {

// Errors, tests not run and script errors are worse than a failed
// verification, which is worse than none; a stop decides alone. Two errors in
// one script count the script once.
TEST(TotalsTest, CountsEachTestOnceAndTheWorstOutcomeDecidesTheStatus) {
    using zorrun::Outcome;
    const struct {
        std::vector<Outcome> outcomes;
        int notRun, scriptErrors, signal, status;
    } cases[] = {
        {{Outcome::passed, Outcome::passed}, 0, 0, 0, 0},
        {{Outcome::passed, Outcome::failed}, 0, 0, 0, 1},
        {{Outcome::failed, Outcome::error}, 2, 0, 0, 2},
        {{Outcome::passed}, 1, 0, 0, 2},
        {{Outcome::passed}, 0, 2, 0, 2},
        {{Outcome::passed}, 0, 0, 15, 143},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        zorrun::Totals totals;
        totals.scriptStart({"s.txt", "s.txt", 0});
        for (const Outcome outcome : c.outcomes) {
            zorrun::TestResult result;
            result.outcome = outcome;
            totals.testResult(result);
        }
        if (c.notRun) totals.testsNotRun({"s.txt", c.notRun, "after the crash", {}});
        for (int i = 0; i < c.scriptErrors; ++i) totals.scriptError({"s.txt", 0, 0, "x", ""});
        totals.setStopSignal(c.signal);
        const zorrun::RunTotals got = totals.get(0);
        EXPECT_EQ(got.tests, static_cast<int>(c.outcomes.size()));
        EXPECT_EQ(got.notRun, c.notRun);
        EXPECT_EQ(got.scriptsWithErrors, c.scriptErrors ? 1 : 0);
        EXPECT_EQ(totals.exitStatus(), c.status);
    }
}

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

// What reaches the console: no control character, C1 control or stray byte
// passes raw, and text in any script of UTF-8 stays readable.
TEST(TerminalTextTest, ControlsAreSpelledOutAndUtf8Stays) {
    using zorrun::terminalText;
    EXPECT_EQ(terminalText("a\nb\tc\rd\x1b[2J\x7f\x01"), "a\\nb\\tc\\rd\\x1b[2J\\x7f\\x01");
    EXPECT_EQ(terminalText("\xc2\x9b"
                           "31m \xff \xe2\x82"),
              "\\xc2\\x9b"
              "31m \\xff \\xe2\\x82");
    EXPECT_EQ(terminalText("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x99\x82 \xc2\xa0"),
              "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x99\x82 \xc2\xa0");
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

}  // namespace
