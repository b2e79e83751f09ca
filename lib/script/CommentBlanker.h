// Blanks block comments in the script text before the scanner sees it. The
// "/*" stays for the scanner to skip; everything after it, up to and including
// the closing "/", becomes spaces, with line feeds kept so that line numbers
// stay right. "//*" opens no comment: it is a line comment's start.
#pragma once

namespace zor {

struct CommentBlanker {
    bool inComment = false;
    int previous = 0;        // the raw character before the next one
    int beforePrevious = 0;  // and the one before that

    // Blanks text[0, count) in place, carrying the state on to the next call.
    void blank(char* text, int count);

private:
    int skipToComment(const char* text, int from, int count);
    int blankComment(char* text, int from, int count);
    void passOver(const char* text, int from, int to);
};

}  // namespace zor
