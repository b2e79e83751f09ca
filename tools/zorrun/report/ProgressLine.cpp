#include "ProgressLine.h"

namespace zorrun {

ProgressLine::ProgressLine(std::FILE* stream, bool isEnabled, Clock timeSource)
    : out(stream), enabled(isEnabled), clock(std::move(timeSource)) {
    if (enabled) nextDraw = clock() + std::chrono::seconds(1);
}

void ProgressLine::update(long testsRun) {
    if (!enabled) return;
    const auto now = clock();
    if (now < nextDraw) return;
    nextDraw = now + std::chrono::seconds(1);
    std::fprintf(out, "\r%ld tests run\033[K", testsRun);
    std::fflush(out);
    shown = true;
}

void ProgressLine::hide() {
    if (!shown) return;
    std::fputs("\r\033[K", out);
    std::fflush(out);
    shown = false;
}

}  // namespace zorrun
