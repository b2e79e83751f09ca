#include "RunTimeText.h"

namespace viewer {

namespace {

void appendTwoDigits(std::string& text, long long value) {
    text += static_cast<char>('0' + value / 10);
    text += static_cast<char>('0' + value % 10);
}

}  // namespace

std::string formatRunTime(long long seconds) {
    if (seconds < 0) seconds = 0;
    std::string text = " (";
    appendTwoDigits(text, seconds / 60 % 60);
    text += ':';
    appendTwoDigits(text, seconds % 60);
    text += " min)";
    return text;
}

}  // namespace viewer
