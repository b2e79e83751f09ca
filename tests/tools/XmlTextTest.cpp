#include "XmlText.h"

#include <gtest/gtest.h>

namespace {

std::string xml(std::string_view text, zor::XmlPlace place = zor::XmlPlace::content) {
    std::string out;
    zor::appendXml(out, text, place);
    return out;
}

std::string attr(std::string_view text) {
    return xml(text, zor::XmlPlace::attribute);
}

TEST(XmlTextTest, MarkupBecomesEntitiesAndQuotesOnlyInAttributes) {
    EXPECT_EQ(xml("a<b>&c \"d\" 'e' ]]>"), "a&lt;b&gt;&amp;c \"d\" 'e' ]]&gt;");
    EXPECT_EQ(attr("a<b>&c \"d\" 'e'"), "a&lt;b&gt;&amp;c &quot;d&quot; &apos;e&apos;");
}

TEST(XmlTextTest, LineBreaksAndTabsSurviveAttributeNormalisation) {
    EXPECT_EQ(attr("a\tb\r\nc"), "a&#x9;b&#xD;&#xA;c");
    EXPECT_EQ(xml("a\tb\r\nc"), "a\tb\r\nc");
}

TEST(XmlTextTest, ControlCharactersBecomeTheirPictures) {
    EXPECT_EQ(xml(std::string_view("\x01|\0|\x1F", 5)), "\u2401|\u2400|\u241F");
    EXPECT_EQ(attr("\x1B"), "\u241B");
}

TEST(XmlTextTest, WellFormedUtf8PassesUnchanged) {
    const std::string text = "caf\u00E9 \u20AC \U0001F600 \u007F";
    EXPECT_EQ(xml(text), text);
}

TEST(XmlTextTest, BytesOutsideWellFormedUtf8BecomeCharacterReferences) {
    EXPECT_EQ(xml("caf\xE9"), "caf&#xE9;");                          // Latin-1
    EXPECT_EQ(xml("\xE2\x82"), "&#xE2;&#x82;");                      // cut short
    EXPECT_EQ(xml("\xC0\x80"), "&#xC0;&#x80;");                      // overlong zero
    EXPECT_EQ(xml("\xED\xA0\x80"), "&#xED;&#xA0;&#x80;");            // surrogate
    EXPECT_EQ(xml("\xEF\xBF\xBE"), "&#xEF;&#xBF;&#xBE;");            // U+FFFE, no XML character
    EXPECT_EQ(xml("\xF4\x90\x80\x80"), "&#xF4;&#x90;&#x80;&#x80;");  // past U+10FFFF
    EXPECT_EQ(xml("\xFF<"), "&#xFF;&lt;");
}

}  // namespace
