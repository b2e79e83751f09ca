#include "ProgressLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using std::chrono::milliseconds;

class ProgressLineTest : public ::testing::Test {
protected:
    ~ProgressLineTest() override { std::fclose(out); }

    zor::ProgressLine line(bool enabled) {
        return zor::ProgressLine(out, enabled, [this] { return now; });
    }
    std::string written() {
        std::fflush(out);
        std::string text(static_cast<std::size_t>(std::ftell(out)), '\0');
        std::rewind(out);
        text.resize(std::fread(text.data(), 1, text.size(), out));
        std::fseek(out, 0, SEEK_END);
        return text;
    }

    std::FILE* out = std::tmpfile();
    std::chrono::steady_clock::time_point now{};
};

TEST_F(ProgressLineTest, FirstShownAfterOneSecondThenAtMostOnceASecond) {
    zor::ProgressLine progress = line(true);
    now += milliseconds(999);
    progress.update(10);
    EXPECT_EQ(written(), "");
    now += milliseconds(1);
    progress.update(11);
    EXPECT_EQ(written(), "\r11 tests run\033[K");
    now += milliseconds(999);
    progress.update(500);
    EXPECT_EQ(written(), "\r11 tests run\033[K");
    now += milliseconds(1);
    progress.update(501);
    EXPECT_EQ(written(), "\r11 tests run\033[K\r501 tests run\033[K");
}

TEST_F(ProgressLineTest, HideErasesOnlyAShownLine) {
    zor::ProgressLine progress = line(true);
    progress.hide();
    EXPECT_EQ(written(), "");
    now += milliseconds(1500);
    progress.update(1);
    progress.hide();
    progress.hide();
    EXPECT_EQ(written(), "\r1 tests run\033[K\r\033[K");
}

TEST_F(ProgressLineTest, DisabledLineNeverWrites) {
    zor::ProgressLine progress = line(false);
    now += milliseconds(5000);
    progress.update(1);
    progress.hide();
    EXPECT_EQ(written(), "");
}

}  // namespace
