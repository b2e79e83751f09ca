#include <gtest/gtest.h>

#include <string>

#include "StoreTestSupport.h"
#include "TempDir.h"
#include "run/AdaptIO.h"
#include "run/SharedIO.h"

namespace {

// Runs the action with the shared file object writing to a fresh output file
// and answers what the file holds afterwards.
template <typename Action>
std::string messagesOf(Action action) {
    zortest::TempDir dir;
    std::string out = dir.file("out.txt");
    AdaptIO& io = zor::sharedIO();
    EXPECT_EQ(io.openOut(out.c_str()), 1);
    action();
    io.closeOut();
    return zortest::readFile(out);
}

TEST(StoreMessageTest, OverlongPathIsReportedWholeOnce) {
    std::string path(500, 'p');
    DataMap record;
    std::string written = messagesOf([&] { record[path.c_str()] = 1; });
    EXPECT_EQ(written, "\r\nname truncated: " + path + "\r\n");
    EXPECT_NE(record.getData(path.substr(0, 499).c_str()), nullptr);
}

TEST(StoreMessageTest, OverlongIndexedPathIsReportedAtItsFullLength) {
    std::string stem(498, 's');
    DataMap record;
    std::string written = messagesOf([&] { record[stem.c_str()]["member"] = 1; });
    EXPECT_EQ(written, "\r\nname truncated: " + stem + ".member\r\n");
}

TEST(StoreMessageTest, PathOfExactlyFourHundredNinetyNineIsNotReported) {
    std::string path(499, 'p');
    DataMap record;
    EXPECT_EQ(messagesOf([&] { record[path.c_str()] = 1; }), "");
}

TEST(StoreMessageTest, UnknownTypesAreReportedByTheOperationThatMetThem) {
    DataMap source;
    source["a"] = 1;
    source.getData("a")->setType(4);
    DataMap copy;
    DataMap target;
    EXPECT_EQ(messagesOf([&] { copy = source; }), "\r\nDataMap::operator= unknown type\r\n");
    EXPECT_EQ(messagesOf([&] { target["p"] = source; }), "\r\nStoreCv::operator= unknown type\r\n");
}

}  // namespace
