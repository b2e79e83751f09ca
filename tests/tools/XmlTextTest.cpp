// Texts from a run, made safe for the XML, JSON and HTML reports.
#include <gtest/gtest.h>

#include "HtmlReport.h"
#include "JsonReport.h"
#include "XmlText.h"

namespace {

TEST(XmlTextTest, TextsBecomeXmlThatReadsBackWithoutLoss) {
    using zorrun::XmlPlace;
    const struct {
        std::string_view text;
        XmlPlace place;
        const char* xml;
    } cases[] = {
        {"<&>\"' ]]>\t\r\n", XmlPlace::content, "&lt;&amp;&gt;\"' ]]&gt;\t\r\n"},
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

// The JSON report and the page's data escape alike, but the page's strings
// must not end the script element that holds them. Bytes that are not valid
// UTF-8 read as Latin-1.
TEST(JsonStringTest, EscapesWhatJsonCannotHoldAndKeepsValidUtf8) {
    const struct {
        std::string_view text;
        const char* json;
        const char* page;  // null: as in the JSON report
    } cases[] = {
        {"a\"b\\c", R"("a\"b\\c")", nullptr},
        {"</script><!--", R"("</script><!--")", R"("\u003c/script>\u003c!--")"},
        {std::string_view("\t\n\x01\0\x7F", 5), R"("\u0009\u000a\u0001\u0000\u007f")", nullptr},
        {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\"",
         nullptr},
        // A lone continuation, an overlong slash, a surrogate, past U+10FFFF, cut short.
        {"\x80", R"("\u0080")", nullptr},
        {"\xc0\xaf", R"("\u00c0\u00af")", nullptr},
        {"\xed\xa0\x80", R"("\u00ed\u00a0\u0080")", nullptr},
        {"\xf4\x90\x80\x80", R"("\u00f4\u0090\u0080\u0080")", nullptr},
        {"\xe9 \xe2\x82", R"("\u00e9 \u00e2\u0082")", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string json, page;
        zorrun::appendJsonString(json, c.text);
        zorrun::appendPageJsonString(page, c.text);
        EXPECT_EQ(json, c.json);
        EXPECT_EQ(page, c.page ? c.page : c.json);
    }
}

}  // namespace
