#include "JsonReport.h"

#include <charconv>

#include "Verdict.h"

namespace zorrun {

namespace {

void appendEscaped(std::string& out, unsigned char byte) {
    constexpr char hex[] = "0123456789abcdef";
    out += "\\u00";
    out += hex[byte >> 4];
    out += hex[byte & 15];
}

// The length of the valid UTF-8 sequence at the start of text; 0 when there
// is none (overlong forms, surrogates and code points past U+10FFFF included).
std::size_t utf8Length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    }
    if (length == 0 || text.size() < length) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

void appendNumber(std::string& out, int number) {
    char digits[12];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

void appendSeconds(std::string& out, double seconds) {
    if (seconds < 0) {
        out += "null";
        return;
    }
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, seconds).ptr);
}

void appendField(std::string& out, std::string_view name, std::string_view text) {
    out += ",\"";
    out += name;
    out += "\":";
    appendJsonString(out, text);
}

void appendEntries(std::string& out, std::string_view packed) {
    out += ",\"failures\":[";
    FailedEntry entry;
    for (bool first = true; nextFailedEntry(packed, entry); first = false) {
        out += first ? "{\"expected\":" : ",{\"expected\":";
        appendJsonString(out, entry.expected);
        out += ",\"actual\":";
        appendJsonString(out, entry.actual);
        out += '}';
    }
    out += ']';
}

const char* outcomeWord(const ScriptOutcome& outcome) {
    if (outcome.error) return "error";
    return outcome.failed > 0 ? "failed" : "passed";
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text[0]);
        std::size_t taken = 1;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            appendEscaped(out, c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((taken = utf8Length(text)) > 0) {
            out.append(text.substr(0, taken));
        } else {
            taken = 1;
            appendEscaped(out, c);
        }
        text.remove_prefix(taken);
    }
    out += '"';
}

bool JsonReport::open(const std::string& path, std::string& reason) {
    if (!file.open(path, reason)) return false;
    file.write("{\"version\":1,\"scripts\":[");
    return true;
}

// Every script in memory starts with its comma; the report that takes it in
// drops the comma when the script comes first.
bool JsonReport::openInMemory() {
    firstScript = false;
    return file.openInMemory();
}

bool JsonReport::takeScripts(std::string& scripts) {
    return file.takeText(scripts);
}

void JsonReport::addScripts(std::string_view scripts) {
    if (scripts.empty()) return;
    if (firstScript && scripts.front() == ',') scripts.remove_prefix(1);
    firstScript = false;
    file.write(scripts);
}

void JsonReport::beginScript(std::string_view name) {
    script = name;
    errors.clear();
    scratch = firstScript ? "\n{\"path\":" : ",\n{\"path\":";
    appendJsonString(scratch, script);
    scratch += ",\"tests\":[";
    file.write(scratch);
    firstScript = false;
    firstTest = true;
}

void JsonReport::addTest(const JsonTest& test) {
    scratch = firstTest ? "\n {\"name\":" : ",\n {\"name\":";
    firstTest = false;
    appendJsonString(scratch, test.name);
    scratch += ",\"position\":";
    test.position >= 0 ? appendNumber(scratch, test.position) : void(scratch += "null");
    appendField(scratch, "file", script);
    scratch += ",\"line\":";
    test.line > 0 ? appendNumber(scratch, test.line) : void(scratch += "null");
    appendField(scratch, "verdict", test.verdict);
    scratch += ",\"duration\":";
    appendSeconds(scratch, test.seconds);
    appendField(scratch, "outFile", test.outFile);
    appendEntries(scratch, test.failedEntries);
    if (!test.message.empty()) appendField(scratch, "message", test.message);
    scratch += '}';
    file.write(scratch);
}

void JsonReport::addError(std::string_view message) {
    errors.emplace_back(message);
}

void JsonReport::endScript(const ScriptOutcome& outcome, double seconds) {
    scratch = "],\"errors\":[";
    for (std::size_t i = 0; i < errors.size(); ++i) {
        if (i > 0) scratch += ',';
        appendJsonString(scratch, errors[i]);
    }
    scratch += "],\"outcome\":\"";
    scratch += outcomeWord(outcome);
    scratch += "\",\"passed\":";
    appendNumber(scratch, outcome.passed);
    scratch += ",\"failed\":";
    appendNumber(scratch, outcome.failed);
    scratch += ",\"duration\":";
    appendSeconds(scratch, seconds);
    scratch += '}';
    file.write(scratch);
}

bool JsonReport::close(std::string& reason) {
    if (!file.isOpen()) return true;
    file.write("\n]}\n");
    return file.commit(reason);
}

}  // namespace zorrun
