// The file object: appending, byte-wise reading, number texts and the sharing
// rules between readers and writers.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "TempDir.h"
#include "run/AdaptIO.h"
#include "run/SharedIO.h"

using zortest::readFile;
using zortest::TempDir;
using zortest::writeFile;

namespace {

std::string writeWith(const std::string& path, auto&&... values) {
    AdaptIO io;
    EXPECT_EQ(io.openOut(path.c_str()), 1);
    (io << ... << values);
    io.closeOut();
    return readFile(path);
}

}  // namespace

TEST(AdaptIOTest, OutputIsAppendedToExistingContent) {
    TempDir dir;
    std::string path = dir.file("out.txt");
    writeFile(path, "old\r\n");
    EXPECT_EQ(writeWith(path, "x"), "old\r\nx");
    EXPECT_EQ(writeWith(path, "y", "z"), "old\r\nxyz");
}

TEST(AdaptIOTest, OutputFileNameIsKeptUntilClose) {
    TempDir dir;
    AdaptIO io;
    std::string path = dir.file("a.txt");
    ASSERT_EQ(io.openOut(path.c_str()), 1);
    EXPECT_STREQ(io.getOutFileName(), path.c_str());
    io.putChar('Q');
    io.closeOut();
    EXPECT_STREQ(io.getOutFileName(), "");
    EXPECT_EQ(readFile(path), "Q");
}

TEST(AdaptIOTest, BadNamesAreRefusedWithoutWaiting) {
    AdaptIO io;
    EXPECT_EQ(io.openOut(""), 0);
    EXPECT_EQ(io.openOut(nullptr), 0);
    EXPECT_EQ(io.openIn(nullptr), 0);
    EXPECT_EQ(io.openIn("/no/such/dir/file"), 0);
    EXPECT_EQ(io.openOut("/no/such/dir/file"), 0);
    EXPECT_STREQ(io.getOutFileName(), "");
    EXPECT_STREQ(io.getInFileName(), "");
    // A name that does not fit the name field is not cut into another file's name.
    std::string longName(300, 'n');
    EXPECT_EQ(io.openOut(longName.c_str()), 0);
    EXPECT_EQ(io.openIn(longName.c_str()), 0);
    EXPECT_EQ(AdaptIO::deleteFile(nullptr), 0);
    EXPECT_EQ(AdaptIO::deleteFile(""), 0);
}

TEST(AdaptIOTest, WritingWithoutAnOpenFileDoesNothing) {
    AdaptIO io;
    io.putChar('a');
    io << "text" << 5 << 2.5 << static_cast<const char*>(nullptr);
    EXPECT_STREQ(io.getOutFileName(), "");
}

TEST(AdaptIOTest, BytesReadAsSignedValues) {
    TempDir dir;
    std::string path = dir.file("in.txt");
    writeFile(path, std::string("\x41\xE4\x0A\xFF", 4));
    AdaptIO io;
    ASSERT_EQ(io.openIn(path.c_str()), 1);
    EXPECT_STREQ(io.getInFileName(), path.c_str());
    EXPECT_EQ(io.getChar(), 65);
    EXPECT_EQ(io.getChar(), -28);
    EXPECT_EQ(io.getChar(), 10);
    EXPECT_EQ(io.getChar(), -1);  // the byte 0xFF, which looks like the end
    EXPECT_EQ(io.getChar(), -1);
    io.closeIn();
    EXPECT_EQ(io.getChar(), -1);
    EXPECT_STREQ(io.getInFileName(), "");
}

TEST(AdaptIOTest, LargeFilesAreReadWhole) {
    TempDir dir;
    std::string path = dir.file("big.txt");
    std::string content;
    for (int i = 0; i < 50000; ++i) content += static_cast<char>('a' + i % 26);
    writeFile(path, content);
    AdaptIO io;
    ASSERT_EQ(io.openIn(path.c_str()), 1);
    std::string got;
    for (int c = io.getChar(); c != -1; c = io.getChar()) got += static_cast<char>(c);
    EXPECT_EQ(got, content);
}

TEST(AdaptIOTest, LargeWritesArriveInOrder) {
    TempDir dir;
    std::string path = dir.file("big.txt");
    std::string small(5000, 's'), huge(20000, 'h');
    EXPECT_EQ(writeWith(path, small.c_str(), huge.c_str(), small.c_str()), small + huge + small);
}

TEST(AdaptIOTest, NumbersUseCFormats) {
    TempDir dir;
    std::string path = dir.file("n.txt");
    EXPECT_EQ(writeWith(path, 42, " ", -7, " ", 0, " ", 3.5, " ", -0.25, " ", 2.0),
              "42 -7 0 3.500000 -0.250000 2.000000");
}

TEST(AdaptIOTest, HugeDoublesAreWrittenInFull) {
    TempDir dir;
    std::string text = writeWith(dir.file("n.txt"), 1e300);
    EXPECT_EQ(text.size(), 301u + 7u);
    EXPECT_EQ(text.substr(0, 4), "1000");
    EXPECT_EQ(text.substr(text.size() - 7), ".000000");
    EXPECT_EQ(writeWith(dir.file("m.txt"), -1.7976931348623157e308).size(), 310u + 7u);
}

TEST(AdaptIOTest, NumbersIgnoreTheLocale) {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "locale de_DE.UTF-8 missing";
    TempDir dir;
    std::string text = writeWith(dir.file("n.txt"), 3.5);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(text, "3.500000");
}

TEST(AdaptIOTest, ReadersShareAndKeepWritersOut) {
    TempDir dir;
    std::string path = dir.file("shared.txt");
    writeFile(path, "abc");
    AdaptIO first, second, writer;
    ASSERT_EQ(first.openIn(path.c_str()), 1);
    EXPECT_EQ(second.openIn(path.c_str()), 1);
    EXPECT_EQ(writer.openOut(path.c_str()), 0);
    first.closeIn();
    second.closeIn();
    ASSERT_EQ(writer.openOut(path.c_str()), 1);
    writer.closeOut();
}

TEST(AdaptIOTest, AFileBeingWrittenCannotBeOpenedAgain) {
    TempDir dir;
    std::string path = dir.file("busy.txt");
    AdaptIO writer, other;
    ASSERT_EQ(writer.openOut(path.c_str()), 1);
    EXPECT_EQ(other.openOut(path.c_str()), 0);  // at once, without waiting for the lock
    EXPECT_EQ(other.openIn(path.c_str()), 0);
    writer.closeOut();
    EXPECT_EQ(other.openIn(path.c_str()), 1);
}

TEST(AdaptIOTest, DirectoriesAreNotInputFiles) {
    TempDir dir;
    AdaptIO io;
    EXPECT_EQ(io.openIn(dir.path().c_str()), 0);
}

TEST(AdaptIOTest, DeleteFileReportsSuccess) {
    TempDir dir;
    std::string path = dir.file("gone.txt");
    writeFile(path, "x");
    EXPECT_NE(AdaptIO::deleteFile(path.c_str()), 0);
    EXPECT_EQ(AdaptIO::deleteFile(path.c_str()), 0);
}

TEST(AdaptIOTest, SharedObjectIsOneObject) {
    EXPECT_EQ(&zor::sharedIO(), &zor::sharedIO());
}
