#include "TestList.h"

#include <cstdio>

#include "Outlines.h"
#include "ScriptFiles.h"
#include "TerminalText.h"
#include "ZorLib.h"

namespace zorrun {

namespace {

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// "FILE:LINE:COLUMN: text" as a run reports the script's error.
std::string errorLine(const std::string& script, const ScriptOutline& outline) {
    const int column = outline.errorColumn > 0 ? outline.errorColumn : outline.errorPos;
    return script + ":" + std::to_string(outline.errorLine) + ":" + std::to_string(column) + ": " +
           withoutLineEnd(outline.errorText);
}

}  // namespace

bool outlineOf(const std::string& script, ScriptOutline& outline) {
    return outlineChecked(script, outline) >= 0;
}

bool selectedTests(const std::string& script, const std::string& filter, TestSelection* selection,
                   std::vector<ListedTest>& tests, std::string& error) {
    tests.clear();
    if (script.size() >= static_cast<std::size_t>(Parse::entryNameSize)) {
        error = script + ": cannot run script: name longer than 255 characters";
        return false;
    }
    ScriptOutline outline;
    const int code = outlineChecked(script, outline);
    if (code == -2) {
        error = script + ": cannot open script: " + unreadableReason(script);
        return false;
    }
    if (code == -1) {
        error = script + ": cannot run script: the library is busy";
        return false;
    }
    if (selection) selection->beginScript(script, outline);
    for (const OutlineRecord& record : outline.records) {
        if (record.kind != OutlineRecord::test ||
            !Parse::filterTakes(filter.c_str(), record.name.c_str(), record.position) ||
            (selection && !selection->selects(record.name.c_str(), record.position)))
            continue;
        tests.push_back({record.name, record.position, record.line});
    }
    if (outline.errorLine < 1) return true;
    error = errorLine(script, outline);
    return false;
}

bool listTests(const std::string& script, const std::string& filter, TestSelection* selection,
               Console& console, int& listed) {
    std::vector<ListedTest> tests;
    std::string error;
    const bool whole = selectedTests(script, filter, selection, tests, error);
    for (const ListedTest& test : tests) {
        std::printf("%s:%d: %s %d\n", terminalText(script).c_str(), test.line,
                    terminalText(test.name).c_str(), test.position);
        ++listed;
    }
    if (!whole) console.error(error);
    return whole;
}

}  // namespace zorrun
