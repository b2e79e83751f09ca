// The framing of the client's stream; a body too large, an endless header
// and the error answers are the scripted client's (lsp_client_test.py).
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

// Bad headers are reported and the message after them read, wherever the
// stream is split.
TEST(MessageReaderTest, TakesMessagesAndBadHeadersSplitAnywhere) {
    const std::string stream =
        zorlsp::frameMessage("{\"a\":1}") +
        "Content-Length: 12x\r\n\r\nno colon\r\n\r\nContent-Length: -1\r\n\r\n"
        "Content-Type: a\r\n\r\ncontent-length:  3\r\nContent-Type: x\r\n\r\n[1]" +
        zorlsp::frameMessage("");
    for (std::size_t step = 1; step <= stream.size(); ++step) {
        MessageReader reader;
        std::string kinds, bodies;
        for (std::size_t at = 0; at < stream.size(); at += step) {
            reader.feed(std::string_view(stream).substr(at, step));
            for (const Frame& frame : framesOf(reader)) {
                kinds += frame.kind == Frame::message     ? 'm'
                         : frame.kind == Frame::badHeader ? 'b'
                                                          : '?';
                if (frame.kind == Frame::message) bodies += frame.body + "|";
            }
        }
        EXPECT_EQ(kinds, "mbbbbmm") << "step " << step;
        EXPECT_EQ(bodies, "{\"a\":1}|[1]||") << "step " << step;
    }
}

}  // namespace
