#include "FailureIndex.h"

namespace viewer {

namespace {

// A failed entry ends with " ERROR", a failed pass flag closes its block
// with "} [ERROR]".
bool isErrorLine(std::string_view line) {
    return line.ends_with(" ERROR") || line.ends_with("[ERROR]");
}

struct Line {
    int start;
    std::string_view text;
};

std::vector<Line> linesOf(std::string_view text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back({static_cast<int>(start), text.substr(start, end - start)});
        start = end + 1;
    }
    return lines;
}

int lineEnd(const Line& line) {
    return line.start + static_cast<int>(line.text.size());
}

// A block is its name line, "{", its entries and a line that starts with "}".
void findBlocks(const std::vector<Line>& lines, FailureIndex& index) {
    int opened = -1;
    bool failed = false;
    for (std::size_t at = 0; at < lines.size(); ++at) {
        const Line& line = lines[at];
        if (isErrorLine(line.text)) {
            index.errorLines.push_back({line.start, lineEnd(line)});
            failed = true;
        }
        if (line.text == "{" && at > 0) {
            opened = static_cast<int>(at) - 1;
            failed = false;
        } else if (opened >= 0 && line.text.starts_with("}")) {
            const Line& name = lines[static_cast<std::size_t>(opened)];
            if (failed)
                index.blocks.push_back({{name.start, lineEnd(line)}, std::string(name.text)});
            opened = -1;
        }
    }
}

void matchFailures(const std::vector<RunFailure>& failures, FailureIndex& index) {
    auto failure = failures.rbegin();
    for (auto block = index.blocks.rbegin(); block != index.blocks.rend(); ++block, ++failure) {
        if (failure == failures.rend() || failure->name != block->name) return;
        block->scriptLine = failure->line;
    }
}

}  // namespace

FailureIndex indexFailures(std::string_view text, const std::vector<RunFailure>& failures) {
    FailureIndex index;
    findBlocks(linesOf(text), index);
    matchFailures(failures, index);
    return index;
}

int failedBlockAt(const FailureIndex& index, int position) {
    for (std::size_t at = 0; at < index.blocks.size(); ++at) {
        const TextRange& range = index.blocks[at].range;
        if (position >= range.start && position <= range.end) return static_cast<int>(at);
    }
    return -1;
}

int nextFailedBlock(const FailureIndex& index, int position, bool forward) {
    const int count = static_cast<int>(index.blocks.size());
    if (count == 0) return -1;
    if (forward) {
        for (int at = 0; at < count; ++at)
            if (index.blocks[static_cast<std::size_t>(at)].range.start > position) return at;
        return 0;
    }
    for (int at = count - 1; at >= 0; --at)
        if (index.blocks[static_cast<std::size_t>(at)].range.start < position) return at;
    return count - 1;
}

}  // namespace viewer
