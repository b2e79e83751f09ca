#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MessageReader.h"

namespace {

using zorlsp::Frame;
using zorlsp::MessageReader;

std::vector<Frame> framesOf(MessageReader& reader) {
    std::vector<Frame> frames;
    Frame frame;
    while (reader.next(frame)) frames.push_back(frame);
    return frames;
}

TEST(MessageReaderTest, TakesMessagesSplitAnywhere) {
    const std::string stream = zorlsp::frameMessage("{\"a\":1}") +
                               "content-length:  3\r\nContent-Type: x\r\n\r\n[1]" +
                               zorlsp::frameMessage("");
    for (std::size_t step = 1; step <= stream.size(); ++step) {
        MessageReader reader;
        std::vector<Frame> frames;
        for (std::size_t at = 0; at < stream.size(); at += step) {
            reader.feed(std::string_view(stream).substr(at, step));
            for (Frame& frame : framesOf(reader)) frames.push_back(frame);
        }
        ASSERT_EQ(frames.size(), 3u) << "step " << step;
        EXPECT_EQ(frames[0].body, "{\"a\":1}");
        EXPECT_EQ(frames[1].body, "[1]");
        EXPECT_EQ(frames[2].kind, Frame::message);
        EXPECT_EQ(frames[2].body, "");
    }
}

TEST(MessageReaderTest, BadHeadersAreReportedAndTheNextMessageIsRead) {
    MessageReader reader;
    reader.feed("Content-Length: 12x\r\n\r\n");
    reader.feed("no colon\r\n\r\n");
    reader.feed("Content-Length: -1\r\n\r\n");
    reader.feed("Content-Type: a\r\n\r\n");
    reader.feed(zorlsp::frameMessage("{}"));
    const std::vector<Frame> frames = framesOf(reader);
    ASSERT_EQ(frames.size(), 5u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(frames[i].kind, Frame::badHeader) << i;
    EXPECT_EQ(frames[4].kind, Frame::message);
    EXPECT_EQ(frames[4].body, "{}");
}

TEST(MessageReaderTest, OversizedBodyIsSkippedWithoutBeingHeld) {
    MessageReader reader(10);
    reader.feed("Content-Length: 99999999999\r\n\r\n");
    std::vector<Frame> frames = framesOf(reader);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, Frame::tooLarge);

    MessageReader small(10);
    small.feed("Content-Length: 11\r\n\r\n0123");
    small.feed("4567890");
    small.feed(zorlsp::frameMessage("ok"));
    frames = framesOf(small);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].kind, Frame::tooLarge);
    EXPECT_EQ(frames[1].body, "ok");
}

TEST(MessageReaderTest, EndlessHeaderIsDroppedUpToItsEnd) {
    MessageReader reader(100, 32);
    const std::string junk(1000, 'x');
    for (int i = 0; i < 100; ++i) reader.feed(junk);
    std::vector<Frame> frames = framesOf(reader);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].kind, Frame::badHeader);
    // The empty line that ends it arrives split over two reads.
    reader.feed("\r\n\r");
    reader.feed("\n" + zorlsp::frameMessage("{}"));
    frames = framesOf(reader);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].body, "{}");
}

}  // namespace
