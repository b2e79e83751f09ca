#include "XmlText.h"

#include <gtest/gtest.h>

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

}  // namespace
