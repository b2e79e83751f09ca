#include "ScriptFiles.h"

#include <gtest/gtest.h>

#include "TempDir.h"

namespace {

using zortest::writeFile;

// The library's position of a character: its byte offset with every line break
// before its line counted as one character (offset - line + 1).
int position(long offset, int line) {
    return static_cast<int>(offset - line + 1);
}

TEST(ScriptFilesTest, ErrorColumnIsTheSameForEitherLineEnd) {
    zortest::TempDir dir;
    writeFile(dir.file("lf.txt"), "a {}\nbb {}\nccc { x }\n");
    writeFile(dir.file("crlf.txt"), "a {}\r\nbb {}\r\nccc { x }\r\n");
    // The '}' closing line 3: byte offset 19 with LF, 21 with CRLF.
    EXPECT_EQ(zor::errorColumn(dir.file("lf.txt"), 3, position(19, 3)), 9);
    EXPECT_EQ(zor::errorColumn(dir.file("crlf.txt"), 3, position(21, 3)), 9);
    EXPECT_EQ(zor::errorColumn(dir.file("lf.txt"), 1, 0), 1);
}

TEST(ScriptFilesTest, ErrorColumnStaysInsideTheLineOrIsUnknown) {
    zortest::TempDir dir;
    writeFile(dir.file("s.txt"), "abc\nde");
    EXPECT_EQ(zor::errorColumn(dir.file("s.txt"), 2, 1000), 3);  // end of input
    EXPECT_EQ(zor::errorColumn(dir.file("s.txt"), 2, -50), 1);
    EXPECT_EQ(zor::errorColumn(dir.file("s.txt"), 7, 3), 0);
    EXPECT_EQ(zor::errorColumn(dir.file("missing.txt"), 1, 3), 0);
}

TEST(ScriptFilesTest, FileSizeIsMinusOneForWhatIsNotThere) {
    zortest::TempDir dir;
    writeFile(dir.file("out.txt"), "before\r\nblock\r\n");
    EXPECT_EQ(zor::fileSize(dir.file("out.txt").c_str()), 15);
    EXPECT_EQ(zor::fileSize(dir.file("none.txt").c_str()), -1);
    EXPECT_EQ(zor::fileSize(""), -1);
}

}  // namespace
