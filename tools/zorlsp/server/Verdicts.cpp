#include "Verdicts.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "host/PosixFiles.h"

namespace zorlsp {

namespace {

namespace fs = std::filesystem;

// A report larger than this was not written by a run of scripts one edits.
constexpr std::size_t maxReportSize = 256u << 20;

std::string textOf(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : "";
}

int numberOf(const Json& object, const char* key, int fallback) {
    const auto found = object.find(key);
    return found != object.end() && found->is_number_integer() ? found->get<int>() : fallback;
}

TestVerdict readTest(const Json& test) {
    TestVerdict verdict{textOf(test, "name"),
                        numberOf(test, "position", -1),
                        numberOf(test, "line", 0),
                        textOf(test, "verdict"),
                        {},
                        textOf(test, "message")};
    const auto failures = test.find("failures");
    if (failures != test.end() && failures->is_array())
        for (const Json& failure : *failures)
            if (failure.is_object())
                verdict.failures.push_back(
                    {textOf(failure, "expected"), textOf(failure, "actual")});
    return verdict;
}

}  // namespace

bool samePath(const std::string& reported, const std::string& scriptPath, const std::string& base) {
    const fs::path path =
        fs::path(reported).is_absolute() ? fs::path(reported) : fs::path(base) / reported;
    std::error_code error;
    if (fs::equivalent(path, scriptPath, error)) return true;
    return path.lexically_normal() == fs::path(scriptPath).lexically_normal();
}

bool readReport(const Json& report, const std::string& scriptPath, const std::string& base,
                ScriptVerdicts& verdicts) {
    if (!report.is_object() || !report.contains("scripts") || !report["scripts"].is_array())
        return false;
    for (const Json& script : report["scripts"]) {
        if (!script.is_object() || !samePath(textOf(script, "path"), scriptPath, base)) continue;
        verdicts = ScriptVerdicts{};
        if (script.contains("tests") && script["tests"].is_array())
            for (const Json& test : script["tests"])
                if (test.is_object()) verdicts.tests.push_back(readTest(test));
        if (script.contains("errors") && script["errors"].is_array())
            for (const Json& error : script["errors"])
                if (error.is_string()) verdicts.errors.push_back(error.get<std::string>());
        return true;
    }
    return false;
}

bool readReportFile(const std::string& file, const std::string& scriptPath, const std::string& base,
                    ScriptVerdicts& verdicts) {
    const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    const std::optional<std::string> text = host::readRegularFile(fd, maxReportSize);
    if (fd >= 0) close(fd);
    if (!text) return false;
    const Json report = Json::parse(*text, nullptr, false);
    return !report.is_discarded() && readReport(report, scriptPath, base, verdicts);
}

const TestVerdict* findVerdict(const ScriptVerdicts& verdicts, const std::string& name,
                               int position) {
    for (const TestVerdict& test : verdicts.tests)
        if (test.name == name && test.position == position) return &test;
    return nullptr;
}

std::string failureText(const FailedEntry& entry) {
    return "expected " + entry.expected + ", actual " + entry.actual;
}

}  // namespace zorlsp
