// Splits the client's byte stream into messages: a header of "Name: value"
// lines ending in an empty line, whose Content-Length gives the body's size.
// Memory stays bounded whatever arrives: a header longer than maxHeader or a
// body longer than maxBody is reported and skipped, never held.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorlsp {

struct Frame {
    enum Kind { message, badHeader, tooLarge };
    Kind kind = message;
    std::string body;  // the message's body; for the others, what went wrong
};

class MessageReader {
public:
    static constexpr std::size_t defaultMaxHeader = 8 * 1024;
    static constexpr std::size_t defaultMaxBody = 64u << 20;

    explicit MessageReader(std::size_t maxBody = defaultMaxBody,
                           std::size_t maxHeader = defaultMaxHeader);

    void feed(std::string_view bytes);
    // Takes the next complete frame; false until more bytes are fed.
    bool next(Frame& frame);

private:
    bool takeHeader(Frame& frame);
    bool skipOversizedHeader(Frame& frame);
    bool takeBody(Frame& frame);

    std::size_t maxBody;
    std::size_t maxHeader;
    std::string pending;
    std::size_t bodyLength = 0;
    bool inBody = false;
    // Bytes of a refused body still to be dropped as they arrive.
    std::size_t toSkip = 0;
    // A header past maxHeader is dropped up to its empty line.
    bool skippingHeader = false;
};

// The header and body of one message as the client expects it.
std::string frameMessage(std::string_view body);

}  // namespace zorlsp
