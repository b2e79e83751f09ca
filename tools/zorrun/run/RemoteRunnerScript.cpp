#include "RemoteRunnerScript.h"

#include "Outlines.h"

namespace zorrun {

namespace {

// The filters ZorRun sends name a test as "NAME POSITION" (or without the
// blank); a filtered run stops after that test, so it reaches one at most.
bool filterNames(const std::string& filter, const OutlineRecord& record) {
    const std::string number = std::to_string(record.position);
    return filter == record.name + " " + number || filter == record.name + number;
}

std::vector<OutlineRecord> testsReached(const ScriptOutline& outline, const std::string& filter) {
    std::vector<OutlineRecord> tests;
    for (const OutlineRecord& record : outline.records) {
        if (record.kind != OutlineRecord::test) continue;
        if (filter.empty()) {
            tests.push_back(record);
        } else if (filterNames(filter, record)) {
            tests.push_back(record);
            break;
        }
    }
    return tests;
}

}  // namespace

RemoteScript readRemoteScript(const std::string& script, const std::string& filter) {
    RemoteScript read;
    read.known = outlineChecked(script, read.outline) >= 0;
    if (read.known) read.reached = testsReached(read.outline, filter);
    return read;
}

std::string testLabel(const std::string& name, int position) {
    return position >= 0 ? name + " " + std::to_string(position) : name;
}

bool stopsAlike(const RemoteScript& script, int errLine, int errPos) {
    const ScriptOutline& outline = script.outline;
    if (errLine <= 0) return outline.errorLine == 0;
    return outline.errorLine == errLine && outline.errorPos == errPos;
}

int errorColumnOf(const RemoteScript& script, int errLine, int errPos) {
    if (errLine >= 1 && stopsAlike(script, errLine, errPos) && script.outline.errorColumn > 0)
        return script.outline.errorColumn;
    return errPos;
}

}  // namespace zorrun
