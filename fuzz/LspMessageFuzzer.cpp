// Plays any bytes as an editor's stream of messages to the language server,
// cut into reads of the sizes the bytes themselves choose. The reader must
// never hand over a body past its limit, and every frame must either be a
// JSON-RPC request or notification or be answered with an error.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "MessageReader.h"
#include "Rpc.h"

namespace {

constexpr std::size_t maxBody = 4096;
constexpr std::size_t maxHeader = 256;

void check(bool holds) {
    if (!holds) std::abort();
}

void takeFrames(zorlsp::MessageReader& reader) {
    zorlsp::Frame frame;
    while (reader.next(frame)) {
        if (frame.kind != zorlsp::Frame::message) continue;
        check(frame.body.size() <= maxBody);
        zorlsp::Incoming incoming;
        zorlsp::Json error;
        if (zorlsp::readIncoming(frame.body, incoming, error)) {
            check(incoming.id.is_null() || incoming.id.is_string() || incoming.id.is_number());
        } else {
            check(error.contains("error"));
        }
        // What goes back out must serialize whatever the body held.
        zorlsp::serialize(error);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zorlsp::MessageReader reader(maxBody, maxHeader);
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    while (!bytes.empty()) {
        // The first byte of each read says how long it is.
        const std::size_t length =
            std::min<std::size_t>(1 + static_cast<unsigned char>(bytes[0]), bytes.size());
        reader.feed(bytes.substr(0, length));
        bytes.remove_prefix(length);
        takeFrames(reader);
    }
    return 0;
}
