#include "RemoteRunnerFile.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "RemoteRunnerVerdicts.h"
#include "ReportBlocks.h"

namespace zorrun {

namespace {

std::string fileKey(const std::string& name) {
    return std::filesystem::path(name).lexically_normal().string();
}

std::string count(std::size_t number, const std::string& one, const std::string& many) {
    return std::to_string(number) + " " + (number == 1 ? one : many);
}

std::string stopPlace(int line) {
    return line > 0 ? "in line " + std::to_string(line) : "at its end";
}

// The one output file the script names, or why there is not one.
std::string oneOutputFile(const ScriptOutline& outline, std::string& name) {
    std::set<std::string> names;
    for (const OutlineFile& file : outline.files) {
        if (file.kind != OutlineFile::resultFile) continue;
        if (file.computed) return "the script names an output file at run time";
        names.insert(fileKey(file.name));
    }
    if (names.size() != 1)
        return "the script writes to " + count(names.size(), "output file", "output files");
    name = *names.begin();
    return "";
}

// A deletion on the line of the first test may follow it: it counts as after.
bool deletesAfterATest(const RemoteScript& script) {
    const int firstLine = script.reached.front().line;
    for (const OutlineFile& file : script.outline.files)
        if (file.kind == OutlineFile::deleteFile && file.line >= firstLine) return true;
    return false;
}

// Why the script read here cannot tell which reports are this run's; "" when it can.
std::string scriptObstacle(const remote::ExchangeReply& reply, const RemoteScript& script,
                           std::string& outFile) {
    if (!script.known) return "the script cannot be read here";
    if (!stopsAlike(script, reply.errLine, reply.errPos))
        return "the run stopped " + stopPlace(reply.errLine) + " on the test server but " +
               stopPlace(script.outline.errorLine) + " when read here";
    if (script.reached.empty()) return "";
    if (std::string why = oneOutputFile(script.outline, outFile); !why.empty()) return why;
    if (deletesAfterATest(script)) return "the output file is deleted after a test";
    if (!reply.outFileReceived) return "the test server sent no output file";
    if (fileKey(reply.outFile) != outFile)
        return "the test server sent " + reply.outFile + ", the script writes to " + outFile;
    return "";
}

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// After the blocks the library leaves only its error text, if any.
bool restIsTheError(std::string_view rest, const remote::ExchangeReply& reply) {
    const std::string text = withoutLineEnd(std::string(rest));
    return text.empty() || (reply.errLine >= 1 && text == withoutLineEnd(reply.errText));
}

// Why the file's blocks are not this run's tests; "" when they are.
std::string fileObstacle(const ReportFile& file, const RemoteScript& script,
                         const remote::ExchangeReply& reply) {
    const std::size_t tests = script.reached.size();
    if (file.blocks.size() != tests)
        return "the output file holds " +
               count(file.blocks.size(), "report block", "report blocks") + " for " +
               count(tests, "test", "tests");
    for (std::size_t i = 0; i < tests; ++i) {
        const OutlineRecord& test = script.reached[i];
        if (file.blocks[i].name != test.name)
            return "report block " + std::to_string(i + 1) + " is not the report of " +
                   testLabel(test.name, test.position);
    }
    if (!restIsTheError(file.rest, reply))
        return "the output file holds text that is no report after its last block";
    return "";
}

TestResult resultOf(const ReportBlock& block, const OutlineRecord& test,
                    const std::string& outFile) {
    TestResult result;
    result.name = test.name;
    result.position = test.position;
    result.line = test.line;
    result.outcome = block.passed ? Outcome::passed : Outcome::failed;
    result.entries = block.entries;
    result.reportBlock = block.text;
    result.outFile = outFile;
    return result;
}

void tellScriptError(const remote::ExchangeReply& reply, const RemoteScript& script,
                     ScriptEvents& events) {
    if (reply.errLine < 1) return;
    const bool placed = script.known && stopsAlike(script, reply.errLine, reply.errPos);
    events.scriptError(withoutLineEnd(reply.errText), placed ? reply.errLine : 0,
                       placed ? errorColumnOf(script, reply.errLine, reply.errPos) : 0);
}

}  // namespace

void judgeOutputFile(const remote::ExchangeReply& reply, const RemoteScript& script,
                     ScriptEvents& events) {
    std::string outFile;
    std::string why = scriptObstacle(reply, script, outFile);
    ReportFile file;
    const std::string text = why.empty() && !script.reached.empty() ? readWhole(reply.outFile) : "";
    if (why.empty() && !script.reached.empty()) {
        file = readReportFile(text);
        why = fileObstacle(file, script, reply);
    }
    if (!why.empty()) {
        tellScriptError(reply, script, events);
        return events.scriptError("cannot judge this run: " + why);
    }
    for (std::size_t i = 0; i < file.blocks.size(); ++i)
        events.testResult(resultOf(file.blocks[i], script.reached[i], reply.outFile));
    tellScriptError(reply, script, events);
}

}  // namespace zorrun
