// The verdicts as JSON, in the schema the README documents: one object per
// script with its tests, then the run's totals. Tests are written out as they
// come, so the report holds nothing per test in memory; the file takes its
// place only when the report is complete.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "Events.h"
#include "ReplacedFile.h"

namespace zorrun {

class JsonReport : public Reporter {
public:
    bool open(const std::string& path, std::string& reason);
    bool isOpen() const { return file.isOpen(); }

    void runStart(const RunStart& event) override { startTime = event.startTime; }
    void scriptStart(const ScriptStart& event) override;
    void testResult(const TestResult& event) override;
    void scriptError(const ScriptError& event) override;
    void testsNotRun(const TestsNotRun& event) override { notRun += event.count; }
    void scriptEnd(const ScriptEnd& event) override;
    void runEnd(const RunEnd& event) override;

    // Puts the report in the file's place; false with a reason when a write
    // failed, and the former file stays.
    bool close(std::string& reason);

private:
    ReplacedFile file;
    std::string scratch;
    std::string script;
    std::vector<std::string> errors;
    int passed = 0;
    int failed = 0;
    int erred = 0;
    int notRun = 0;
    bool firstScript = true;
    bool firstTest = true;
    bool ended = false;
    std::time_t startTime = 0;
};

// text as a JSON string, quotes included. Valid UTF-8 stays as it is; a byte
// that is not part of valid UTF-8 stands as \u00XX, the character of its
// value, as do control characters.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace zorrun
