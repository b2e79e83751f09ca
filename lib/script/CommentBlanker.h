// Blanks block comments in the script text before the scanner sees it. The
// "/*" stays for the scanner to skip; everything after it, up to and including
// the closing "/", becomes spaces, with line feeds kept so that line numbers
// stay right. "//*" opens no comment: it is a line comment's start.
#pragma once

#include <cstdint>

namespace zor {

struct CommentBlanker {
    bool inComment = false;
    int previous = 0;        // the raw character before the next one
    int beforePrevious = 0;  // and the one before that
    // Where the latest comment opened, so that one left open at the end of the
    // script can be reported at its start: the offset of its "/" and its line.
    std::int64_t openedAt = 0;
    std::int64_t openedLine = 0;

    // Blanks text[0, count) in place, carrying the state on to the next call.
    void blank(char* text, int count);

private:
    // Characters and line feeds before the current text.
    std::int64_t offset = 0;
    std::int64_t lineFeeds = 0;
    int counted = 0;  // the current text's line feeds before this are counted

    int skipToComment(const char* text, int from, int count);
    int blankComment(char* text, int from, int count);
    void passOver(const char* text, int from, int to);
    void countLineFeeds(const char* text, int to);
};

}  // namespace zor
