// The verdicts as JSON, in the schema the README documents: one object per
// script with its tests. Tests are written out as they come, so the report
// holds nothing per test in memory; the file takes its place only when the
// report is complete.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ReplacedFile.h"
#include "RunSummary.h"

namespace zorrun {

struct JsonTest {
    std::string_view name;
    int position = -1;         // below 0: not known
    int line = 0;              // 0: not known
    std::string_view verdict;  // "passed", "failed" or "error"
    double seconds = -1;       // below 0: not measured
    std::string_view outFile;
    std::string_view failedEntries;  // packed (see packFailedEntry)
    std::string_view message;        // why it failed or erred, when no entry tells
};

class JsonReport {
public:
    bool open(const std::string& path, std::string& reason);
    bool isOpen() const { return file.isOpen(); }
    // A report kept in memory, whose scripts another report takes in turn:
    // takeScripts hands on the scripts ended since the last call, false when
    // a write failed; addScripts appends them as they were written.
    bool openInMemory();
    bool takeScripts(std::string& scripts);
    void addScripts(std::string_view scripts);

    void beginScript(std::string_view script);
    void addTest(const JsonTest& test);
    // What went wrong in the script outside its tests' verdicts.
    void addError(std::string_view message);
    void endScript(const ScriptOutcome& outcome, double seconds);

    // Ends the document and puts it in the file's place; false with a reason
    // when a write failed, and the former file stays.
    bool close(std::string& reason);

private:
    ReplacedFile file;
    std::string scratch;
    std::string script;
    std::vector<std::string> errors;
    bool firstScript = true;
    bool firstTest = true;
};

// text as a JSON string, quotes included. Valid UTF-8 stays as it is; a byte
// that is not part of valid UTF-8 stands as \u00XX, the character of its
// value, as do control characters.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace zorrun
