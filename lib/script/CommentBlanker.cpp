#include "script/CommentBlanker.h"

#include <algorithm>
#include <cstring>

namespace zor {

namespace {

int rawChar(const char* text, int at) {
    return static_cast<signed char>(text[at]);
}

}  // namespace

void CommentBlanker::blank(char* text, int count) {
    int at = 0;
    counted = 0;
    while (at < count)
        at = inComment ? blankComment(text, at, count) : skipToComment(text, at, count);
    countLineFeeds(text, count);
    offset += count;
}

// Outside a comment only a '*' can open one, so the text is searched from star
// to star instead of being looked at character by character.
int CommentBlanker::skipToComment(const char* text, int from, int count) {
    for (;;) {
        const void* star = std::memchr(text + from, '*', static_cast<size_t>(count - from));
        const int upTo = star ? static_cast<int>(static_cast<const char*>(star) - text) : count;
        passOver(text, from, upTo);
        if (!star) return count;
        const bool opens = previous == '/' && beforePrevious != '/';
        beforePrevious = previous;
        previous = '*';
        if (opens) {
            inComment = true;
            countLineFeeds(text, upTo);
            openedAt = offset + upTo - 1;
            openedLine = lineFeeds + 1;
            return upTo + 1;
        }
        from = upTo + 1;
    }
}

// Inside a comment every character but the line feed becomes a blank, up to
// and including the "/" that closes it.
int CommentBlanker::blankComment(char* text, int from, int count) {
    for (int at = from; at < count; ++at) {
        const int c = rawChar(text, at);
        if (c == '/' && previous == '*') inComment = false;
        if (c != '\n') text[at] = ' ';
        beforePrevious = previous;
        previous = c;
        if (!inComment) return at + 1;
    }
    return count;
}

void CommentBlanker::passOver(const char* text, int from, int to) {
    if (to - from >= 2) {
        beforePrevious = rawChar(text, to - 2);
        previous = rawChar(text, to - 1);
    } else if (to - from == 1) {
        beforePrevious = previous;
        previous = rawChar(text, from);
    }
}

// Blanking keeps line feeds, so they are counted in the blanked text.
void CommentBlanker::countLineFeeds(const char* text, int to) {
    lineFeeds += std::count(text + counted, text + to, '\n');
    counted = to;
}

}  // namespace zor
