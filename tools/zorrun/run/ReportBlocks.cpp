#include "ReportBlocks.h"

#include <optional>

namespace zorrun {

namespace {

// Splits off the next line, without its "\r\n" or "\n"; nullopt at the end.
std::optional<std::string_view> nextLine(std::string_view& rest) {
    if (rest.empty()) return std::nullopt;
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

constexpr std::string_view failedMark = "] ERROR";
constexpr std::string_view entryIndent = "    ";

// "    total == 3; [int total = 4] ERROR": the expected entry, and the
// logged value without its type and path where the line names them.
FailedEntry failedEntry(std::string_view line) {
    line.remove_prefix(entryIndent.size());
    line.remove_suffix(failedMark.size());
    const std::size_t open = line.find("; [");
    if (open == std::string_view::npos) return {std::string(line), ""};
    const std::string_view expected = line.substr(0, open);
    std::string_view logged = line.substr(open + 3);
    const std::size_t pathEnd = expected.find(' ');
    const std::string named = std::string(expected.substr(0, pathEnd)) + " = ";
    if (const std::size_t at = logged.find(named); at != std::string_view::npos)
        logged.remove_prefix(at + named.size());
    return {std::string(expected), std::string(logged)};
}

// Comment lines up to "  verified:"; a brace there means another block.
bool skipComments(std::string_view& rest) {
    while (const auto line = nextLine(rest)) {
        if (*line == "  verified:") return true;
        if (line->starts_with('{') || line->starts_with('}')) return false;
    }
    return false;
}

// "  verified:" up to "  logged:"; false when a line is no entry.
bool readVerified(std::string_view& rest, ReportBlock& block) {
    while (const auto line = nextLine(rest)) {
        if (*line == "  logged:") return true;
        if (!line->starts_with(entryIndent)) return false;
        if (line->ends_with(failedMark)) {
            block.passed = false;
            block.entries.push_back(failedEntry(*line));
        }
    }
    return false;
}

// The logged lines, the closing line and the empty line after it.
bool readClosing(std::string_view& rest, ReportBlock& block) {
    while (const auto line = nextLine(rest)) {
        if (*line != "}" && *line != "} [ERROR]") continue;
        if (*line != "}") block.passed = false;
        const auto empty = nextLine(rest);
        return empty && empty->empty();
    }
    return false;
}

std::optional<ReportBlock> readBlock(std::string_view& rest) {
    const std::string_view start = rest;
    ReportBlock block;
    const auto name = nextLine(rest);
    const auto open = nextLine(rest);
    if (!name || name->empty() || open != "{") return std::nullopt;
    block.name = std::string(*name);
    if (!skipComments(rest) || !readVerified(rest, block) || !readClosing(rest, block))
        return std::nullopt;
    block.text = std::string(start.substr(0, start.size() - rest.size()));
    return block;
}

}  // namespace

ReportFile readReportFile(std::string_view file) {
    ReportFile read;
    std::string_view unread = file;
    for (;;) {
        std::string_view rest = unread;
        std::optional<ReportBlock> block = readBlock(rest);
        if (!block) break;
        read.blocks.push_back(std::move(*block));
        unread = rest;
    }
    // A copy: the file's text need not outlive what was read from it.
    read.rest = std::string(unread);
    return read;
}

}  // namespace zorrun
