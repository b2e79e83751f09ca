// The file helpers every program writes and replaces its files with.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "FileLimit.h"
#include "TempDir.h"
#include "host/PosixFiles.h"

// More than one read's worth, with a zero byte and a 0xFF that must survive.
TEST(PosixFilesTest, WhatIsWrittenIsReadBackWhole) {
    zortest::TempDir dir;
    std::string bytes(100'000, 'a');
    bytes[5] = '\0';
    bytes[70'000] = '\xff';
    const int fd = open(dir.file("f").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(host::writeAll(fd, bytes));
    ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
    EXPECT_EQ(host::readAll(fd), bytes);
    close(fd);
}

// A write that fails at once or after the file took part of it, and a read
// that fails, are reported rather than taken for success.
TEST(PosixFilesTest, FailuresAreReportedNotSwallowed) {
    zortest::TempDir dir;
    zortest::writeFile(dir.file("f"), "x");
    const int readOnly = open(dir.file("f").c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_FALSE(host::writeAll(readOnly, "y"));
    close(readOnly);
    const int writeOnly = open(dir.file("f").c_str(), O_WRONLY | O_CLOEXEC);
    EXPECT_FALSE(host::readAll(writeOnly));
    close(writeOnly);
    EXPECT_EQ(zortest::readFile(dir.file("f")), "x");
    const std::string said = zortest::underFileLimit(1000, [&] {
        const int fd = open(dir.file("g").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        return std::string(host::writeAll(fd, std::string(5000, 'g')) ? "ok" : strerror(errno));
    });
    EXPECT_EQ(said, strerror(EFBIG));
    EXPECT_EQ(std::filesystem::file_size(dir.file("g")), 1000u);
}

// The former file gives way to the new one whether or not it was there; a
// move that cannot happen says why.
TEST(PosixFilesTest, ReplacingPutsTheNewFileInTheFormersPlace) {
    const struct {
        bool formerThere;
        bool newThere;
        bool replaced;
    } rows[] = {{true, true, true}, {false, true, true}, {true, false, false}};
    for (const auto& row : rows) {
        zortest::TempDir dir;
        if (row.formerThere) zortest::writeFile(dir.file("out"), "old");
        if (row.newThere) zortest::writeFile(dir.file("out_"), "new");
        const int folder = open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        EXPECT_EQ(host::replaceAt(folder, "out_", "out"), row.replaced);
        if (row.replaced) {
            EXPECT_EQ(zortest::readFile(dir.file("out")), "new");
            EXPECT_FALSE(std::filesystem::exists(dir.file("out_")));
        } else {
            EXPECT_EQ(errno, ENOENT);
        }
        close(folder);
    }
}
