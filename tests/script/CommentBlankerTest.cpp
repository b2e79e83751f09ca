// The comment blanker jumps from star to star outside comments; it must give
// exactly what a character-by-character reader gives, however the text is cut
// into chunks.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "script/CommentBlanker.h"

namespace {

// The reader's rule, one character at a time.
std::string blankOneByOne(const std::string& text) {
    bool inComment = false;
    int previous = 0, beforePrevious = 0;
    std::string out;
    for (char raw : text) {
        const int c = static_cast<signed char>(raw);
        char stored = raw;
        if (c == '*' && previous == '/' && beforePrevious != '/' && !inComment) {
            inComment = true;
        } else if (inComment) {
            if (c == '/' && previous == '*') inComment = false;
            if (c != '\n') stored = ' ';
        }
        beforePrevious = previous;
        previous = c;
        out += stored;
    }
    return out;
}

std::string blankInChunks(std::string text, std::mt19937& random) {
    zor::CommentBlanker blanker;
    std::uniform_int_distribution<int> chunk(1, 9);
    for (size_t at = 0; at < text.size();) {
        const int count = std::min<int>(chunk(random), static_cast<int>(text.size() - at));
        blanker.blank(text.data() + at, count);
        at += static_cast<size_t>(count);
    }
    return text;
}

}  // namespace

TEST(CommentBlankerTest, BlanksCommentsKeepingLineFeeds) {
    std::string text = "a /* b\nc */ d // e /* f */\n//* g\n";
    zor::CommentBlanker blanker;
    blanker.blank(text.data(), static_cast<int>(text.size()));
    // The reader knows no line comments: a "/*" behind "//" opens a comment too.
    EXPECT_EQ(text, "a /*  \n     d // e /*     \n//* g\n");
}

TEST(CommentBlankerTest, ChunkedTextMatchesTheCharacterRule) {
    std::mt19937 random(11);
    const std::string alphabet = "/*/*\na \xE4";
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 60);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = length(random); n > 0; --n) text += alphabet[pick(random)];
        ASSERT_EQ(blankInChunks(text, random), blankOneByOne(text)) << "text: " << text;
    }
}
