// The comment blanker jumps from star to star outside comments; it must give
// exactly what a character-by-character reader gives, and the same place for
// the latest comment's opening, however the text is cut into chunks.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

#include "script/CommentBlanker.h"

namespace {

// The reader's rule, one character at a time; opened tells the offset and the
// line of the latest comment's "/".
std::string blankOneByOne(const std::string& text, std::pair<long, long>& opened) {
    long line = 1;
    bool inComment = false;
    int previous = 0, beforePrevious = 0;
    std::string out;
    for (char raw : text) {
        const int c = static_cast<signed char>(raw);
        char stored = raw;
        if (c == '*' && previous == '/' && beforePrevious != '/' && !inComment) {
            inComment = true;
            opened = {static_cast<long>(out.size()) - 1, line};
        } else if (inComment) {
            if (c == '/' && previous == '*') inComment = false;
            if (c != '\n') stored = ' ';
        }
        beforePrevious = previous;
        previous = c;
        out += stored;
        line += raw == '\n';
    }
    return out;
}

}  // namespace

TEST(CommentBlankerTest, ChunkedTextMatchesTheCharacterRule) {
    std::mt19937 random(11);
    const std::string alphabet = "/*/*\na \xE4";
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 60), chunk(1, 9);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = length(random); n > 0; --n) text += alphabet[pick(random)];
        std::string chunked = text;
        zor::CommentBlanker blanker;
        for (size_t at = 0, count = 0; at < text.size(); at += count) {
            count = std::min<size_t>(chunk(random), text.size() - at);
            blanker.blank(chunked.data() + at, static_cast<int>(count));
        }
        std::pair<long, long> opened{0, 0};
        ASSERT_EQ(chunked, blankOneByOne(text, opened)) << "text: " << text;
        ASSERT_EQ(std::make_pair(static_cast<long>(blanker.openedAt),
                                 static_cast<long>(blanker.openedLine)),
                  opened)
            << "text: " << text;
    }
}
