#include "ProgressLine.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Counts at 999, 1000, 1999 and 2000 ms: only the second and the fourth are
// drawn, and only a shown line is erased.
TEST(ProgressLineTest, FirstShownAfterOneSecondThenAtMostOnceASecond) {
    std::FILE* out = std::tmpfile();
    std::chrono::steady_clock::time_point now{};
    zor::ProgressLine off(out, false, [&] { return now; });
    zor::ProgressLine progress(out, true, [&] { return now; });
    progress.hide();
    for (long count : {10, 11, 500, 501}) {
        now += std::chrono::milliseconds(count % 2 ? 1 : 999);
        progress.update(count);
        off.update(count);
    }
    progress.hide();
    progress.hide();
    off.hide();
    char text[200] = {};
    std::rewind(out);
    EXPECT_GT(std::fread(text, 1, sizeof text - 1, out), 0u);
    EXPECT_STREQ(text, "\r11 tests run\033[K\r501 tests run\033[K\r\033[K");
    std::fclose(out);
}

}  // namespace
