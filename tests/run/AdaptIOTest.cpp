// The file object, and what it makes of a lock file planted in its way.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

#include "TempDir.h"
#include "run/AdaptIO.h"
#include "run/OutputLock.h"

namespace {

class AdaptIOTest : public ::testing::Test {
protected:
    zortest::TempDir dir;
    const std::string path = dir.file("file.txt");
};

// Writes append, in order across the buffer, and numbers of any length; every
// byte reads back as its signed value, and 0xFF as -1, like the end.
TEST_F(AdaptIOTest, BytesAndNumbersAppendAndReadBackAsWritten) {
    zortest::writeFile(path, "old");
    AdaptIO io;
    ASSERT_EQ(io.openOut(path.c_str()), 1);
    std::string bytes = "old";
    for (int i = 0; i < 50000; ++i) io.putChar(bytes.append(1, static_cast<char>(i)).back());
    const std::string huge(20000, 'h');
    io << huge.c_str() << INT_MIN << " " << NAN << " " << -1.7976931348623157e308;
    io.closeOut();
    char max[400];  // more than the 99 characters of old
    std::snprintf(max, sizeof max, "%lf", -1.7976931348623157e308);
    ASSERT_EQ(io.openIn(path.c_str()), 1);
    for (char byte : bytes + huge + "-2147483648 nan " + max)
        ASSERT_EQ(io.getChar(), static_cast<signed char>(byte));
    EXPECT_EQ(io.getChar(), -1);
    io.closeIn();
    EXPECT_EQ(io.getChar(), -1);
}

// Readers share a file; a writer has it alone. Bad names open nothing, and no
// refused open takes the output lock.
TEST_F(AdaptIOTest, OpensAreRefusedForFilesInUseAndForBadNames) {
    zortest::writeFile(path, "abc");
    AdaptIO first, second, other;
    ASSERT_EQ(first.openIn(path.c_str()), 1);
    EXPECT_EQ(second.openIn(path.c_str()), 1);
    EXPECT_EQ(other.openOut(path.c_str()), 0);
    first.closeIn();
    second.closeIn();
    ASSERT_EQ(first.openOut(path.c_str()), 1);
    EXPECT_EQ(other.openOut(path.c_str()), 0);  // at once, without waiting for the lock
    EXPECT_EQ(other.openIn(path.c_str()), 0);
    first.closeOut();
    const std::string tooLong(300, 'n');  // not cut into the name of another file
    for (const char* name : {static_cast<const char*>(nullptr), "", "/no/such/dir/file",
                             tooLong.c_str(), dir.path().c_str()})
        EXPECT_EQ(other.openOut(name) + other.openIn(name) + AdaptIO::deleteFile(name), 0);
    other << "text" << 5 << 2.5 << static_cast<const char*>(nullptr);
    EXPECT_EQ(first.openOut(path.c_str()), 1);  // would wait for ever on a lock left taken
    first.closeOut();
    EXPECT_NE(AdaptIO::deleteFile(path.c_str()), 0);
}

// A lock file of the test's own, so that writers elsewhere on the machine
// neither wait for the test nor show up as holders.
class PrivateLockTest : public AdaptIOTest {
protected:
    PrivateLockTest() { zor::setOutputLockPath(lockPath.c_str()); }
    ~PrivateLockTest() override { zor::setOutputLockPath(nullptr); }
    const std::string lockPath = dir.file("lock");
};

// Anybody may plant something at the lock's path in the shared directory: a
// link is not followed and nothing but a regular file serves; writes then go
// on unserialised, and hosts can tell why.
TEST_F(PrivateLockTest, OnlyARegularFileServesAsTheLock) {
    const std::string target = dir.file("target");
    for (const std::string planted : {"nothing", "link", "fifo"}) {
        SCOPED_TRACE(planted);
        std::remove(lockPath.c_str());
        const int made = planted == "link"   ? symlink(target.c_str(), lockPath.c_str())
                         : planted == "fifo" ? mkfifo(lockPath.c_str(), 0600)
                                             : 0;
        ASSERT_EQ(made, 0);
        AdaptIO io;
        EXPECT_EQ(AdaptIO::getLockError(), planted == "nothing" ? ""
                                           : planted == "link"
                                               ? lockPath + ": Too many levels of symbolic links"
                                               : lockPath + ": not a regular file");
        ASSERT_EQ(io.openOut(path.c_str()), 1);
        io.closeOut();
        EXPECT_NE(access(target.c_str(), F_OK), 0);  // no file made through the link
    }
}

}  // namespace
