// The text encoding of the display records and the decoding of display blocks,
// well formed and not.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "display/ArcRecord.h"
#include "display/ColorRecord.h"
#include "display/DisplayList.h"
#include "display/PolyRecord.h"
#include "display/ShapeRecords.h"
#include "display/TextRecord.h"

using namespace display;

namespace {

std::string encoded(const GraphicRecord& record) {
    std::string text(static_cast<std::size_t>(record.encodedLength()), '?');
    char* cursor = text.data();
    EXPECT_TRUE(record.encode(cursor, text.data() + text.size()));
    return text;
}

BlockBuffer blockOf(const std::string& bytes) {
    BlockBuffer block{};
    std::memcpy(block.data(), bytes.data(), std::min(bytes.size(), block.size()));
    return block;
}

// Decodes the bytes as one block received whole.
int decodeAll(DisplayList& list, const std::string& bytes) {
    return list.decodeBlock(blockOf(bytes), static_cast<int>(bytes.size()));
}

// The encoding of the record, decoded and encoded again, is the same text.
void expectRoundTrip(const GraphicRecord& record, const std::string& text) {
    EXPECT_EQ(encoded(record), text);
    DisplayList list;
    EXPECT_EQ(decodeAll(list, text), static_cast<int>(text.size()));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(encoded(list[0]), text);
}

}  // namespace

TEST(DisplayRecordTest, EveryKindRoundTripsWithinItsFieldsAndItsBuffer) {
    expectRoundTrip(ColorRecord(255, 7, 0, 1), std::string("01255007000") + "01");
    expectRoundTrip(PointRecord(-5, 9999), "02-0059999");
    expectRoundTrip(LineRecord(0, 12, -999, 345), "0300000012-9990345");
    expectRoundTrip(RectRecord(1, 2, 3, 4, 1), "0400010002000300041");
    expectRoundTrip(ArcRecord(10, 20, 110, 220, 36000, 5, 0), "05001000200110022036000000050");
    expectRoundTrip(PolyRecord({1, 2, 3}, {-4, 5, 6}, 1), "060003000100020003-004000500061");
    expectRoundTrip(TextRecord(-1, 300, 2, "Hi \xE4"), std::string("070005-00103002Hi \xE4\0", 20));

    // Values beyond a field are written as its nearest value; a text ends at
    // its first zero byte; a record that does not fit is not written.
    EXPECT_EQ(encoded(PointRecord(10000, -1000)), "029999-999");
    EXPECT_EQ(encoded(ColorRecord(300, -5, 1000, -100)), "01300-05999-9");
    EXPECT_EQ(encoded(RectRecord(0, 0, 0, 0, 12)), "0400000000000000009");
    EXPECT_EQ(encoded(TextRecord(1, 2, 0, std::string("ab\0cd", 5))),
              std::string("070003000100020ab") + '\0');
    char buffer[18] = {};
    char* cursor = buffer;
    EXPECT_FALSE(LineRecord(1, 2, 3, 4).encode(cursor, buffer + 17));
    EXPECT_EQ(cursor, buffer);
    EXPECT_EQ(TextRecord(0, 0, 0, std::string(9999, 'x')).encodedLength(), -1);
}

// Only whole records within the byte count, held to the buffer, are decoded. A
// text takes its whole announced length, up to its zero byte; a polygon or a
// text that runs past the bytes received, or past the buffer, stops the block.
TEST(DisplayBlockTest, RecordsAreTakenWholeWithinTheByteCountAndTheBlock) {
    const std::string line = encoded(LineRecord(1, 2, 3, 4));
    for (int n = 1; n < 18; ++n) {
        DisplayList list;
        EXPECT_EQ(list.decodeBlock(blockOf(line), n), 0) << n;
        EXPECT_TRUE(list.empty());
    }
    std::string bytes;
    while (bytes.size() + 10 <= blockSize) bytes += encoded(PointRecord(1, 1));
    DisplayList list;
    EXPECT_EQ(list.decodeBlock(blockOf(bytes), 100000), 500);
    EXPECT_EQ(list.decodeBlock(blockOf(bytes), -3), 0);
    EXPECT_EQ(list.size(), 50u);

    list.clear();
    const std::string text = std::string("070004000100020ab") + '\0' + 'z';
    EXPECT_EQ(decodeAll(list, text + encoded(PointRecord(7, 8))), 19 + 10);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(dynamic_cast<const TextRecord&>(list[0]).text, "ab");
    EXPECT_EQ(decodeAll(list, "0600001"), 7);
    EXPECT_EQ(dynamic_cast<const PolyRecord&>(list[2]).count(), 0);
    for (const char* count : {"0062", "9999", "0001"})
        EXPECT_EQ(decodeAll(list, std::string("06") + count + "00010002"), 0) << count;
    // A text that runs past the 501 bytes stops the block, whatever the byte
    // count says, even where the memory beyond the buffer would complete it.
    struct {
        BlockBuffer block;
        char beyond[14];
    } padded;
    static_assert(sizeof padded == blockSize + 14);
    padded.block = blockOf(encoded(PointRecord(0, 0)) + "070490000100020" + std::string(476, 'x'));
    std::memcpy(padded.beyond, "xxxxxxxxxxxxx", 14);
    EXPECT_EQ(list.decodeBlock(padded.block, 100000), 10);
    EXPECT_EQ(list.size(), 4u);
}

TEST(DisplayBlockTest, BadRecordEndsTheBlockAndKeepsWhatCameBefore) {
    const std::string good = encoded(PointRecord(1, 2));
    const std::string after = encoded(PointRecord(3, 4));
    const std::string bad[] = {
        "00",                                    // kind below 01
        "08",                                    // kind above 07
        "0x",                                    // kind that is not a number
        "020012 004",                            // a space among the digits
        "040001000200030004x",                   // filled not a digit
        "06-001",                                // negative polygon count
        std::string("070003000100020ab") + 'c',  // text without its zero byte
        std::string("070000000100020") + '\0',   // length below 1
    };
    for (const std::string& record : bad) {
        DisplayList list;
        EXPECT_EQ(decodeAll(list, good + record + after), 10) << record;
        EXPECT_EQ(list.size(), 1u) << record;
    }
}
