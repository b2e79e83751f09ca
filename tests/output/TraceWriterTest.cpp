// The trace block writer and the deletion of record trees, on records built
// by hand: the text of every kind of entry, links and what they may reach.
#include <gtest/gtest.h>

#include <string>

#include "Golden.h"
#include "TempDir.h"
#include "TraceTestSupport.h"
#include "output/ParseOut.h"
#include "output/TraceLinks.h"
#include "run/AdaptIO.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

using zortest::matchesGolden;

namespace {

class TraceWriterTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(zor::liveTraceRecords(), 0); }

    std::string blockOf(DataMap* record, unsigned int thread, int level = 0) {
        std::string path = dir.file("block.txt");
        AdaptIO out;
        EXPECT_EQ(out.openOut(path.c_str()), 1);
        ParseOut::smartOut(out, record, thread, level);
        out.closeOut();
        std::string text = zortest::readFile(path);
        AdaptIO::deleteFile(path.c_str());
        return text;
    }

    // A record registered as a trace record below parentLink (0: outermost).
    static DataMap* traceRecord(const char* name, int parentLink, int& link) {
        auto* record = new DataMap;
        record->setName(name);
        link = zor::addTraceRecord(record, parentLink, 1234);
        return record;
    }

    zortest::TempDir dir;
};

TEST_F(TraceWriterTest, ExampleBlockMatchesApprovedText) {
    int openLink = 0, readLink = 0;
    DataMap* open = traceRecord("Open", 0, openLink);
    DataMap* read = traceRecord("Read", openLink, readLink);
    (*open)["count"] = 3;
    (*open)["file"] = "a.txt";
    (*open)["//>"][0] = readLink;
    (*open)["0x10"] = 255;
    (*read)["size"] = 12.0;

    EXPECT_TRUE(matchesGolden("trace_block.txt", blockOf(open, 1234)));
    ParseOut::smartDelete(open);
}

TEST_F(TraceWriterTest, EmptyRecordGivesHeaderBracesAndEmptyLine) {
    DataMap* empty = new DataMap;
    empty->setName("Empty");
    EXPECT_EQ(blockOf(empty, 7), "Empty(7)\n{\n}\n\n");
    EXPECT_EQ(blockOf(empty, 4000000000u), "Empty(4000000000)\n{\n}\n\n");
    ParseOut::smartDelete(empty);
}

TEST_F(TraceWriterTest, EntriesOfEveryTypeAndBookkeepingStaysHidden) {
    DataMap* record = new DataMap;
    record->setName("R");
    (*record)["//id"] = 2;
    (*record)["//dp"] = 1;
    (*record)["//<"] = 5;
    (*record)["//000012"] = "a line marker";
    (*record)["0x1F"] = -1;
    (*record)["x0"] = -1;
    (*record)["half"] = 0.5;
    (*record)["two"] = "first\nsecond";
    (*record)["odd"] = 1;
    record->getData("odd")->setType(9);

    EXPECT_EQ(blockOf(record, 1),
              "R(1)\n{\n"
              "    char*  //000012 = a line marker\n"
              "    int    0x1F = 0xffffffff\n"
              "    int    x0 = -1\n"
              "    double half = 0.500000\n"
              "    char*  two = first\nsecond\n"
              "unknown type: odd\n"
              "}\n\n");
    ParseOut::smartDelete(record);
}

TEST_F(TraceWriterTest, TwoLevelsOfLinksIndentInnermostEntriesByTwelve) {
    int outerLink = 0, midLink = 0, innerLink = 0;
    DataMap* outer = traceRecord("outer", 0, outerLink);
    DataMap* mid = traceRecord("mid", outerLink, midLink);
    DataMap* inner = traceRecord("inner", midLink, innerLink);
    (*outer)["//>"][0] = midLink;
    (*mid)["//>"][0] = innerLink;
    (*inner)["v"] = 1;

    EXPECT_EQ(blockOf(outer, 9),
              "outer(9)\n{\n"
              "    mid()\n    {\n"
              "        inner()\n        {\n"
              "            int    v = 1\n"
              "        }\n"
              "    }\n"
              "}\n\n");
    // Below level 0 a block has empty parentheses and no empty line after it.
    EXPECT_EQ(blockOf(inner, 9, 1), "    inner()\n    {\n        int    v = 1\n    }\n");
    EXPECT_EQ(blockOf(inner, 9, -4), "inner(9)\n{\n    int    v = 1\n}\n\n");
    ParseOut::smartDelete(outer);
}

// A link value is followed only to a live child of the record that holds it:
// unknown values and links into another tree are neither written nor deleted.
TEST_F(TraceWriterTest, LinksThatReachNoChildOfTheirRecordAreSkipped) {
    int otherLink = 0, foreignLink = 0;
    DataMap* other = traceRecord("other", 0, otherLink);
    traceRecord("foreign", otherLink, foreignLink);
    (*other)["//>"][0] = foreignLink;

    DataMap* host = new DataMap;
    host->setName("host");
    (*host)["//>"][0] = 987654;
    (*host)["//>"][1] = foreignLink;
    (*host)["//>"][2] = 0;
    (*host)["n"] = 1;
    EXPECT_EQ(blockOf(host, 3), "host(3)\n{\n    int    n = 1\n}\n\n");

    ParseOut::smartDelete(host);
    EXPECT_EQ(zor::liveTraceRecords(), 2);
    EXPECT_EQ(blockOf(other, 3), "other(3)\n{\n    foreign()\n    {\n    }\n}\n\n");
    ParseOut::smartDelete(other);
    ParseOut::smartDelete(nullptr);
}

}  // namespace
