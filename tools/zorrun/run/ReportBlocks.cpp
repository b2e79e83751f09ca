#include "ReportBlocks.h"

namespace zorrun {

namespace {

// Splits off the next line, without its "\r\n" or "\n".
std::string_view nextLine(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Reads the block whose "{" line has just been taken; false when the text
// ends first or another block starts.
bool readBody(std::string_view& rest, ReportBlock& block) {
    bool verified = false;
    bool inVerified = false;  // only the verified entries carry verdicts
    while (!rest.empty()) {
        const char* const start = rest.data();
        const std::string_view line = nextLine(rest);
        block.text.append(start, static_cast<std::size_t>(rest.data() - start));
        if (line == "  verified:") verified = inVerified = true;
        if (line == "  logged:") inVerified = false;
        if (inVerified && endsWith(line, "] ERROR")) block.passed = false;
        if (line == "}" || line == "} [ERROR]") {
            if (line != "}") block.passed = false;
            return verified;
        }
        if (line == "{") return false;
    }
    return false;
}

}  // namespace

std::vector<ReportBlock> reportBlocks(std::string_view file) {
    std::vector<ReportBlock> blocks;
    std::string_view previous;
    const char* previousStart = file.data();
    std::string_view rest = file;
    while (!rest.empty()) {
        const char* const start = rest.data();
        const std::string_view line = nextLine(rest);
        if (line == "{" && !previous.empty()) {
            ReportBlock block;
            block.name = previous;
            block.text.assign(previousStart, static_cast<std::size_t>(rest.data() - previousStart));
            std::string_view body = rest;
            if (readBody(body, block)) {
                blocks.push_back(std::move(block));
                rest = body;
                previous = std::string_view();
                continue;
            }
        }
        previous = line;
        previousStart = start;
    }
    return blocks;
}

}  // namespace zorrun
