// The file helpers every program writes and replaces its files with.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "FileLimit.h"
#include "TempDir.h"
#include "host/PosixFiles.h"

// More than one read's worth, with a zero byte and a 0xFF, comes back whole;
// a write that the file refuses after taking a part, and a failed read, fail.
// A new file takes the former's place whether or not there was one; a move
// that cannot happen is an error that says why.
TEST(PosixFilesTest, WritesReadsAndReplacesAreWholeOrFail) {
    zortest::TempDir dir;
    std::string bytes(100'000, 'a');
    bytes[5] = '\0';
    bytes[70'000] = '\xff';
    const int fd = open(dir.file("f").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    EXPECT_TRUE(host::writeAll(fd, bytes));
    ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
    EXPECT_EQ(host::readAll(fd), bytes);
    ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
    EXPECT_EQ(host::readAll(fd, 2), bytes.substr(0, 3));  // one byte beyond says there is more
    close(fd);
    const int writeOnly = open(dir.file("f").c_str(), O_WRONLY | O_CLOEXEC);
    EXPECT_FALSE(host::readAll(writeOnly));
    close(writeOnly);
    const std::string said = zortest::underFileLimit(1000, [&] {
        const int limited = open(dir.file("g").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        return std::string(host::writeAll(limited, bytes) ? "written" : strerror(errno));
    });
    EXPECT_EQ(said, strerror(EFBIG));
    EXPECT_EQ(std::filesystem::file_size(dir.file("g")), 1000u);

    const int folder = open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (const std::string content : {"first", "second"}) {
        zortest::writeFile(dir.file("out_"), content);
        EXPECT_TRUE(host::replaceAt(folder, "out_", "out"));
        EXPECT_EQ(zortest::readFile(dir.file("out")), content);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("out_")));
    EXPECT_FALSE(host::replaceAt(folder, "out_", "out"));
    EXPECT_EQ(errno, ENOENT);
    close(folder);
}
