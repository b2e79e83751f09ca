#include "run/ErrorColumn.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "run/AdaptIO.h"

namespace zor {

namespace {

constexpr int chunkSize = 8192;

// Reads the script a chunk at a time, tracking the line of the next character.
class LineReader {
public:
    explicit LineReader(AdaptIO& script) : io(script) {}

    // Moves to the first character of the line; false when the script ends before it.
    bool seekLine(int line) {
        while (lineNo < line) {
            if (at == count && !refill()) return false;
            const void* feed = std::memchr(chunk + at, '\n', static_cast<std::size_t>(count - at));
            const int next =
                feed ? static_cast<int>(static_cast<const char*>(feed) - chunk) + 1 : count;
            offset += next - at;
            at = next;
            if (feed) {
                ++lineNo;
                lineStart = offset;
            }
        }
        return true;
    }

    // The characters of the current line before its line end.
    std::int64_t lineLength() {
        std::int64_t length = 0;
        for (;; ++at, ++length) {
            if (at == count && !refill()) return length;
            if (chunk[at] == '\n' || chunk[at] == '\r') return length;
        }
    }

    std::int64_t getLineStart() const { return lineStart; }

private:
    bool refill() {
        bool ended = false;
        count = readInputBytes(io, chunk, chunkSize, ended);
        at = 0;
        return count > 0;
    }

    AdaptIO& io;
    char chunk[chunkSize];
    int at = 0;
    int count = 0;
    int lineNo = 1;
    std::int64_t offset = 0;
    std::int64_t lineStart = 0;
};

}  // namespace

int errorColumn(AdaptIO& io, const char* scriptFile, int line, int position) {
    if (line < 1 || !io.openIn(scriptFile)) return 0;
    LineReader reader(io);
    const bool found = reader.seekLine(line);
    const std::int64_t length = found ? reader.lineLength() : 0;
    io.closeIn();
    if (!found) return 0;
    const std::int64_t column = position - (reader.getLineStart() - line + 1) + 1;
    return static_cast<int>(std::clamp<std::int64_t>(column, 1, length + 1));
}

}  // namespace zor
