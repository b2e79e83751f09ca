// What ZorRun writes and reads back: texts made safe for the XML, JSON and HTML
// reports and the page that shows a run; the verdicts of an output file's
// report blocks for remote runs, and the failures it keeps for --last-failed.
#include <gtest/gtest.h>

#include <algorithm>

#include "EventList.h"
#include "HtmlReport.h"
#include "JsonReport.h"
#include "LastFailed.h"
#include "TempDir.h"
#include "TestSelection.h"
#include "Totals.h"
#include "XmlText.h"

namespace {

// Each event as one line, so that two streams of events compare as text.
class EventText : public zorrun::Reporter {
public:
    void runStart(const zorrun::RunStart& e) override { add("run " + e.host); }
    void scriptStart(const zorrun::ScriptStart& e) override { add("start " + e.runName); }
    void testResult(const zorrun::TestResult& e) override {
        add("test " + e.name + " " + std::to_string(static_cast<int>(e.outcome)) + " " + e.reason +
            " " + std::to_string(e.seconds) + " " + std::to_string(e.entries.size()));
    }
    void scriptError(const zorrun::ScriptError& e) override { add("error " + e.text); }
    void testsNotRun(const zorrun::TestsNotRun& e) override {
        add("not run " + std::to_string(e.count) + " " + e.why + " " + e.tests.back());
    }
    void scriptEnd(const zorrun::ScriptEnd& e) override { add("end " + e.script); }
    void runEnd(const zorrun::RunEnd& e) override {
        add("run end " + std::to_string(e.totals.exitStatus));
    }
    std::string text;

private:
    void add(const std::string& line) { text += line + "\n"; }
};

void tellScript(zorrun::Reporter& to, const std::string& script, zorrun::Outcome outcome) {
    to.scriptStart({script, script + " (run 1/2)", 0});
    zorrun::TestResult result;
    result.script = script;
    result.name = "login";
    result.outcome = outcome;
    result.reason = outcome == zorrun::Outcome::error ? "test function crashed: SIGSEGV" : "";
    result.seconds = 0.25;
    result.entries = {{"a == 1", "2"}};
    to.testResult(result);
    if (outcome == zorrun::Outcome::error)
        to.testsNotRun({script, 2, "after the crash", {"a 1", "b 2"}});
    if (outcome == zorrun::Outcome::failed) to.scriptError({script, 3, 4, "parse error", ""});
    to.scriptEnd({script, 1.5});
}

// A script recorded beside others reaches the reporters later exactly as it
// was told: every event, in its order, with its fields.
TEST(EventListTest, ReplayTellsWhatWasRecordedInOrder) {
    EventText direct, replayed;
    zorrun::EventList recorded;
    for (zorrun::Reporter* to :
         {static_cast<zorrun::Reporter*>(&direct), static_cast<zorrun::Reporter*>(&recorded)}) {
        to->runStart({{"ZorRun"}, 0, "host", 2});
        tellScript(*to, "a.txt", zorrun::Outcome::error);
        tellScript(*to, "b.txt", zorrun::Outcome::failed);
        to->runEnd({});
    }
    zorrun::EventList taken = recorded.take();
    EXPECT_TRUE(recorded.getEvents().empty());
    taken.replay(replayed);
    EXPECT_EQ(replayed.text, direct.text);
    EXPECT_EQ(std::count(direct.text.begin(), direct.text.end(), '\n'), 10);
}

// Errors, tests not run and script errors are worse than a failed
// verification, which is worse than none; a stop decides alone.
TEST(TotalsTest, CountsEachTestOnceAndTheWorstOutcomeDecidesTheStatus) {
    using zorrun::Outcome;
    const struct {
        std::vector<Outcome> outcomes;
        int notRun;
        bool scriptError;
        int signal;
        const char* text;
        int status;
    } cases[] = {
        {{Outcome::passed, Outcome::passed},
         0,
         false,
         0,
         "tests: 2, passed: 2, failed: 0, errors: 0, not run: 0, scripts with errors: 0",
         0},
        {{Outcome::passed, Outcome::failed},
         0,
         false,
         0,
         "tests: 2, passed: 1, failed: 1, errors: 0, not run: 0, scripts with errors: 0",
         1},
        {{Outcome::failed, Outcome::error},
         2,
         false,
         0,
         "tests: 2, passed: 0, failed: 1, errors: 1, not run: 2, scripts with errors: 0",
         2},
        {{Outcome::passed},
         1,
         false,
         0,
         "tests: 1, passed: 1, failed: 0, errors: 0, not run: 1, scripts with errors: 0",
         2},
        {{Outcome::passed},
         0,
         true,
         0,
         "tests: 1, passed: 1, failed: 0, errors: 0, not run: 0, scripts with errors: 1",
         2},
        {{Outcome::passed},
         0,
         false,
         15,
         "tests: 1, passed: 1, failed: 0, errors: 0, not run: 0, scripts with errors: 0",
         143},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        zorrun::Totals totals;
        totals.scriptStart({"s.txt", "s.txt", 0});
        for (const Outcome outcome : c.outcomes) {
            zorrun::TestResult result;
            result.outcome = outcome;
            totals.testResult(result);
        }
        if (c.notRun) totals.testsNotRun({"s.txt", c.notRun, "after the crash", {}});
        // Two errors in one script count the script once.
        for (int i = 0; c.scriptError && i < 2; ++i) totals.scriptError({"s.txt", 0, 0, "x", ""});
        totals.setStopSignal(c.signal);
        EXPECT_EQ(zorrun::totalsText(totals.get(0)), c.text);
        EXPECT_EQ(totals.exitStatus(), c.status);
        EXPECT_EQ(totals.scriptFailed(), c.status == 1 || (c.status == 2));
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
