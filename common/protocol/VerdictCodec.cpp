#include "protocol/VerdictCodec.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>

namespace remote {

namespace {

using nlohmann::json;

constexpr const char* outcomeNames[] = {"passed", "failed", "error"};
// Longer than any run a client waits for; it keeps the number a plain one.
constexpr double maxSeconds = 1e9;

// Without an exception on bytes that are not UTF-8.
std::string dumped(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string bounded(const std::string& text, std::size_t limit) {
    const json valid = json::parse(dumped(json(text)), nullptr, false);
    std::string result = valid.is_string() ? valid.get<std::string>() : std::string();
    if (result.size() <= limit) return result;
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(result[cut]) & 0xC0) == 0x80) --cut;
    result.resize(cut);
    return result;
}

json verdictJson(const RemoteVerdict& verdict) {
    json entries = json::array();
    for (const RemoteEntry& entry : verdict.entries)
        entries.push_back({{"expected", entry.expected}, {"actual", entry.actual}});
    return {
        {"name", verdict.name},       {"position", verdict.position},
        {"line", verdict.line},       {"outcome", outcomeNames[static_cast<int>(verdict.outcome)]},
        {"reason", verdict.reason},   {"entries", std::move(entries)},
        {"seconds", verdict.seconds}, {"outFile", verdict.outFile}};
}

json endJson(const RemoteRunEnd& end) {
    return {{"returned", end.returned}, {"code", end.code},       {"errLine", end.errLine},
            {"errPos", end.errPos},     {"errText", end.errText}, {"dropped", end.dropped}};
}

bool readNumber(const json& object, const char* key, int low, int& value) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_integer()) return false;
    if (found->is_number_unsigned()) {
        const auto number = found->get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(INT_MAX)) return false;
        value = static_cast<int>(number);
        return true;
    }
    const auto number = found->get<std::int64_t>();
    if (number < low || number > INT_MAX) return false;
    value = static_cast<int>(number);
    return true;
}

bool readText(const json& object, const char* key, std::size_t limit, std::string& text) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) return false;
    const auto& value = found->get_ref<const std::string&>();
    if (value.size() > limit) return false;
    text = value;
    return true;
}

bool readSeconds(const json& object, double& seconds) {
    const auto found = object.find("seconds");
    if (found == object.end() || !found->is_number()) return false;
    seconds = found->get<double>();
    return std::isfinite(seconds) && seconds >= 0 && seconds <= maxSeconds;
}

bool readOutcome(const json& object, VerdictOutcome& outcome) {
    std::string name;
    if (!readText(object, "outcome", 8, name)) return false;
    for (int index = 0; index < 3; ++index) {
        if (name != outcomeNames[index]) continue;
        outcome = static_cast<VerdictOutcome>(index);
        return true;
    }
    return false;
}

bool readEntries(const json& object, std::vector<RemoteEntry>& entries) {
    const auto found = object.find("entries");
    if (found == object.end() || !found->is_array() || found->size() > maxEntries) return false;
    for (const json& item : *found) {
        RemoteEntry entry;
        if (!item.is_object() || !readText(item, "expected", maxEntryBytes, entry.expected) ||
            !readText(item, "actual", maxEntryBytes, entry.actual))
            return false;
        entries.push_back(std::move(entry));
    }
    return true;
}

std::optional<RemoteVerdict> verdictOf(const json& object) {
    RemoteVerdict verdict;
    if (!object.is_object() || !readText(object, "name", maxNameBytes, verdict.name) ||
        !readNumber(object, "position", -1, verdict.position) ||
        !readNumber(object, "line", 0, verdict.line) || !readOutcome(object, verdict.outcome) ||
        !readText(object, "reason", maxReasonBytes, verdict.reason) ||
        !readEntries(object, verdict.entries) || !readSeconds(object, verdict.seconds) ||
        !readText(object, "outFile", maxNameBytes, verdict.outFile))
        return std::nullopt;
    return verdict;
}

std::optional<RemoteRunEnd> endOf(const json& object) {
    RemoteRunEnd end;
    if (!object.is_object()) return std::nullopt;
    const auto returned = object.find("returned");
    if (returned == object.end() || !returned->is_boolean()) return std::nullopt;
    end.returned = returned->get<bool>();
    if (!readNumber(object, "code", INT_MIN, end.code) ||
        !readNumber(object, "errLine", INT_MIN, end.errLine) ||
        !readNumber(object, "errPos", INT_MIN, end.errPos) ||
        !readText(object, "errText", maxErrTextBytes, end.errText) ||
        !readNumber(object, "dropped", 0, end.dropped))
        return std::nullopt;
    return end;
}

std::string block(const json& tests, const RemoteRunEnd* end) {
    json payload = {{"tests", tests}};
    if (end) payload["end"] = endJson(*end);
    return std::string(verdictTag) + dumped(payload);
}

}  // namespace

void boundVerdict(RemoteVerdict& verdict) {
    verdict.name = bounded(verdict.name, maxNameBytes);
    verdict.reason = bounded(verdict.reason, maxReasonBytes);
    verdict.outFile = bounded(verdict.outFile, maxNameBytes);
    if (verdict.entries.size() > maxEntries) verdict.entries.resize(maxEntries);
    for (RemoteEntry& entry : verdict.entries) {
        entry.expected = bounded(entry.expected, maxEntryBytes);
        entry.actual = bounded(entry.actual, maxEntryBytes);
    }
    if (!std::isfinite(verdict.seconds) || verdict.seconds < 0) verdict.seconds = 0;
    verdict.seconds = std::min(verdict.seconds, maxSeconds);
}

void boundRunEnd(RemoteRunEnd& end) {
    end.errText = bounded(end.errText, maxErrTextBytes);
}

std::string encodeVerdict(const RemoteVerdict& verdict) {
    return dumped(verdictJson(verdict));
}

std::optional<RemoteVerdict> decodeVerdict(std::string_view text) {
    if (text.size() > maxVerdictBytes) return std::nullopt;
    return verdictOf(json::parse(text, nullptr, false));
}

std::string encodeRunEnd(const RemoteRunEnd& end) {
    return dumped(endJson(end));
}

std::optional<RemoteRunEnd> decodeRunEnd(std::string_view text) {
    if (text.size() > maxVerdictBytes) return std::nullopt;
    return endOf(json::parse(text, nullptr, false));
}

std::vector<std::string> verdictBlocks(const std::vector<RemoteVerdict>& verdicts,
                                       const RemoteRunEnd& end) {
    std::vector<std::string> blocks;
    json batch = json::array();
    std::size_t batchBytes = 0;
    for (const RemoteVerdict& verdict : verdicts) {
        json value = verdictJson(verdict);
        const std::size_t size = dumped(value).size();
        if (!batch.empty() && batchBytes + size > verdictBatchBytes) {
            blocks.push_back(block(batch, nullptr));
            batch = json::array();
            batchBytes = 0;
        }
        batch.push_back(std::move(value));
        batchBytes += size;
    }
    blocks.push_back(block(batch, &end));
    return blocks;
}

bool isVerdictBlock(std::string_view bytes) {
    return bytes.starts_with(verdictTag);
}

bool VerdictReader::take(std::string_view block) {
    any = true;
    if (end || !isVerdictBlock(block) || block.size() - verdictTag.size() > maxVerdictBlockBytes)
        return false;
    const json payload = json::parse(block.substr(verdictTag.size()), nullptr, false);
    if (!payload.is_object()) return false;
    const auto tests = payload.find("tests");
    if (tests == payload.end() || !tests->is_array()) return false;
    for (const json& item : *tests) {
        std::optional<RemoteVerdict> verdict = verdictOf(item);
        if (!verdict) return false;
        verdicts.push_back(std::move(*verdict));
    }
    const auto last = payload.find("end");
    if (last == payload.end()) return true;
    end = endOf(*last);
    return end.has_value();
}

}  // namespace remote
