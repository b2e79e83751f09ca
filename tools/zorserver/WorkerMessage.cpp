#include "WorkerMessage.h"

#include <cstdint>
#include <cstring>

namespace zorserver {

namespace {

// The magic word, then the whole length, both in the host's byte order: the
// two ends are one program on one machine.
constexpr std::string_view magics[] = {"ZORS", "ZORV", "ZORE", "ZORW"};
constexpr std::string_view magic = magics[static_cast<int>(FrameKind::result)];
constexpr std::size_t headerSize = frameHeaderSize;

void putWord(std::string& out, std::uint32_t word) {
    out.append(reinterpret_cast<const char*>(&word), sizeof word);
}

void putText(std::string& out, std::string_view text, std::size_t limit) {
    text = text.substr(0, limit);
    putWord(out, static_cast<std::uint32_t>(text.size()));
    out.append(text);
}

class Reader {
public:
    explicit Reader(std::string_view message) : rest(message) {}

    bool word(std::uint32_t& value) {
        if (rest.size() < sizeof value) return false;
        std::memcpy(&value, rest.data(), sizeof value);
        rest.remove_prefix(sizeof value);
        return true;
    }
    bool number(int& value) {
        std::uint32_t word32 = 0;
        if (!word(word32)) return false;
        value = static_cast<int>(static_cast<std::int32_t>(word32));
        return true;
    }
    bool text(std::string& value, std::size_t limit) {
        std::uint32_t length = 0;
        if (!word(length) || length > limit || length > rest.size()) return false;
        value.assign(rest.substr(0, length));
        rest.remove_prefix(length);
        return true;
    }
    bool done() const { return rest.empty(); }

private:
    std::string_view rest;
};

}  // namespace

std::string encodeFrame(FrameKind kind, std::string_view body) {
    std::string frame(magics[static_cast<int>(kind)]);
    putWord(frame, static_cast<std::uint32_t>(headerSize + body.size()));
    frame.append(body);
    return frame;
}

bool frameHeader(std::string_view bytes, FrameKind& kind, std::size_t& length) {
    if (bytes.size() < headerSize) return false;
    for (int index = 0; index < 4; ++index) {
        if (bytes.substr(0, magic.size()) != magics[index]) continue;
        std::uint32_t word = 0;
        std::memcpy(&word, bytes.data() + magic.size(), sizeof word);
        kind = static_cast<FrameKind>(index);
        length = word;
        return true;
    }
    return false;
}

std::string encodeWorkerResult(const WorkerResult& result) {
    std::string body;
    putWord(body, static_cast<std::uint32_t>(result.errLine));
    putWord(body, static_cast<std::uint32_t>(result.errPos));
    putWord(body, static_cast<std::uint32_t>(result.device.pressedButton));
    putText(body, result.outFile, maxOutFileName);
    putText(body, result.errText, maxErrorText);
    putText(body, result.device.line, maxDeviceText);
    putText(body, result.device.lastEvent, maxDeviceText);
    return encodeFrame(FrameKind::result, body);
}

namespace {

std::size_t announcedLength(std::string_view bytes) {
    std::uint32_t length = 0;
    if (bytes.size() < headerSize || bytes.substr(0, magic.size()) != magic) return 0;
    std::memcpy(&length, bytes.data() + magic.size(), sizeof length);
    return length;
}

}  // namespace

std::optional<WorkerResult> decodeWorkerResult(std::string_view message) {
    const std::size_t whole = announcedLength(message);
    if (whole == 0 || whole != message.size() || whole > maxWorkerMessage) return std::nullopt;
    Reader reader(message.substr(headerSize));
    WorkerResult result;
    if (!reader.number(result.errLine) || !reader.number(result.errPos) ||
        !reader.number(result.device.pressedButton) ||
        !reader.text(result.outFile, maxOutFileName) ||
        !reader.text(result.errText, maxErrorText) ||
        !reader.text(result.device.line, maxDeviceText) ||
        !reader.text(result.device.lastEvent, maxDeviceText) || !reader.done() ||
        result.outFile.find('\0') != std::string::npos)
        return std::nullopt;
    return result;
}

}  // namespace zorserver
