#include <gtest/gtest.h>

#include "Documents.h"
#include "Positions.h"

namespace {

using zorlsp::Position;

// "é" is two bytes and one unit, "😀" four bytes and two units.
constexpr std::string_view text = "ab\r\n\xC3\xA9x\xF0\x9F\x98\x80y\n\xFFz";

TEST(PositionsTest, ClientCharactersAreUtf16Units) {
    EXPECT_EQ(zorlsp::offsetOf(text, {1, 1}), 6u);
    // Inside the surrogate pair: before the character.
    EXPECT_EQ(zorlsp::offsetOf(text, {1, 3}), 7u);
    EXPECT_EQ(zorlsp::offsetOf(text, {1, 4}), 11u);
    // Past the line's end: at its end, before "\r\n" or "\n".
    EXPECT_EQ(zorlsp::offsetOf(text, {0, 40}), 2u);
    // A byte that is no UTF-8 is one unit.
    EXPECT_EQ(zorlsp::offsetOf(text, {2, 1}), 14u);
    EXPECT_EQ(zorlsp::offsetOf(text, {9, 0}), text.size());

    EXPECT_EQ(zorlsp::positionOf(text, 11).character, 4);
    EXPECT_EQ(zorlsp::utf16Length("\xF0\x9F\x98"), 3);
}

TEST(PositionsTest, IncrementalChangesEditTheRightBytes) {
    zorlsp::Documents documents;
    documents.open("file:///a", std::string(text), 1);
    ASSERT_TRUE(documents.change("file:///a", {Position{1, 2}, Position{1, 4}, "=="}, 2));
    EXPECT_EQ(documents.find("file:///a")->text, "ab\r\n\xC3\xA9x==y\n\xFFz");
    ASSERT_TRUE(documents.change("file:///a", {Position{0, 1}, Position{1, 1}, ""}, 3));
    EXPECT_EQ(documents.find("file:///a")->text, "ax==y\n\xFFz");
    // An end before its start inserts.
    ASSERT_TRUE(documents.change("file:///a", {Position{0, 2}, Position{0, 0}, "+"}, 4));
    EXPECT_EQ(documents.find("file:///a")->text, "ax+==y\n\xFFz");
    documents.close("file:///a");
    EXPECT_EQ(documents.find("file:///a"), nullptr);
    EXPECT_FALSE(documents.change("file:///a", {std::nullopt, std::nullopt, "x"}, 6));
}

}  // namespace
