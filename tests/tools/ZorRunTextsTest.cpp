// What ZorRun makes of the library's facts (a failed comparison's entries as
// the console shows them, the names that reach one output file, the file a
// script's name leads to), and its texts made safe for the XML, JSON and HTML
// reports and the page that shows a run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "CheckedScript.h"
#include "FailedEntryText.h"
#include "HtmlReport.h"
#include "JsonReport.h"
#include "OutputFiles.h"
#include "TempDir.h"
#include "TerminalText.h"
#include "Verdict.h"
#include "XmlText.h"

namespace {

ComparisonEntry entry(const std::string& path, const std::string& expected,
                      const std::string& actual, bool held = false) {
    return {path, "<=", expected, actual, expected, actual, held};
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

// Only entries that did not hold are shown, at most 20, each value cut after
// 200 bytes without splitting a character; the rest are counted, never
// dropped without a word (the exact forms are the reports' tests').
TEST(FailedEntryTextTest, ShowsTheFirstEntriesCutAndCountsTheRest) {
    Comparison comparison;
    comparison.entries.push_back(entry("a", "5", "5", true));
    comparison.entries.push_back(
        entry("s", "\"" + std::string(198, 'x') + "\xc3\xa9\"", "undefined"));
    for (int i = 0; i < 25; ++i) comparison.entries.push_back(entry("n", "1", std::to_string(i)));
    std::string packed;
    EXPECT_EQ(zorrun::packFailedEntries(comparison, packed), 6);
    const auto entries = zorrun::unpackFailedEntries(packed);
    ASSERT_EQ(entries.size(), 20u);
    EXPECT_EQ(entries[0].expected, "s <= \"" + std::string(198, 'x') + "...");
    EXPECT_EQ(entries[19].expected, "n <= 1");
    EXPECT_EQ(entries[19].actual, "18");
}

// One file under two names is one file: a link (also one whose target is not
// there yet), a hard link (a detour through ".." is the jobs test's). Other
// files, and a name only alike in spelling, are not.
TEST(OutputFilesTest, NamesThatReachOneFileAreOne) {
    zortest::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directory(dir.file("sub"));
    fs::create_symlink("out.txt", dir.file("alias.txt"));
    fs::create_directory_symlink("sub", dir.file("folder"));
    const auto same = [&](const std::string& one, const std::string& other) {
        return zorrun::shareFiles({zorrun::fileIdentities(dir.file(one)), false},
                                  {zorrun::fileIdentities(dir.file(other)), false});
    };
    // Looked at before the file is made and after: still one file, so that a
    // job planned while an earlier one already writes it waits for it.
    const std::vector<std::string> before = zorrun::fileIdentities(dir.file("out.txt"));
    EXPECT_TRUE(same("out.txt", "alias.txt"));
    EXPECT_TRUE(same("sub/x.txt", "folder/x.txt"));
    EXPECT_FALSE(same("out.txt", "sub/out.txt"));
    zortest::writeFile(dir.file("out.txt"), "");
    EXPECT_TRUE(zorrun::shareFiles({before, false},
                                   {zorrun::fileIdentities(dir.file("./out.txt")), false}));
    ASSERT_EQ(link(dir.file("out.txt").c_str(), dir.file("sub/hard.txt").c_str()), 0);
    EXPECT_TRUE(same("out.txt", "sub/hard.txt"));
}

// The library reads the file that was checked, through its descriptor: a
// file put in the script's place afterwards is never opened (the files that
// are refused are the hostile input test's).
TEST(CheckedScriptTest, TheFileReadIsTheFileChecked) {
    zortest::TempDir dir;
    const std::string script = dir.file("a.txt");
    zortest::writeFile(script, "checked\n");
    const zorrun::CheckedScript checked(script);
    EXPECT_EQ(checked.getProblem(), "");
    std::filesystem::remove(script);
    zortest::writeFile(script, "swapped\n");
    EXPECT_EQ(zortest::readFile(checked.getPath()), "checked\n");
}
