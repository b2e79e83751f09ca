#include "RemoteRunnerVerdicts.h"

namespace zorrun {

namespace {

Outcome outcomeOf(remote::VerdictOutcome outcome) {
    switch (outcome) {
        case remote::VerdictOutcome::passed:
            return Outcome::passed;
        case remote::VerdictOutcome::failed:
            return Outcome::failed;
        default:
            return Outcome::error;
    }
}

// The server's line where it knew one; the script read here has the same.
TestResult resultOf(const remote::RemoteVerdict& verdict, const OutlineRecord& record) {
    TestResult result;
    result.name = verdict.name;
    result.position = verdict.position;
    result.line = verdict.line > 0 ? verdict.line : record.line;
    result.outcome = outcomeOf(verdict.outcome);
    result.reason = verdict.reason;
    for (const remote::RemoteEntry& entry : verdict.entries)
        result.entries.push_back({entry.expected, entry.actual});
    result.seconds = verdict.seconds;
    result.outFile = verdict.outFile;
    return result;
}

bool isRecord(const remote::RemoteVerdict& verdict, const OutlineRecord& record) {
    return verdict.name == record.name && verdict.position == record.position;
}

// Tells the verdicts that are, in order, the tests the run reaches; a verdict
// for any other test is forged or out of step, and ends the telling. Returns
// how many were told.
std::size_t tellInOrder(const std::vector<remote::RemoteVerdict>& verdicts,
                        const RemoteScript& script, ScriptEvents& events) {
    std::size_t told = 0;
    for (const remote::RemoteVerdict& verdict : verdicts) {
        if (told >= script.reached.size() || !isRecord(verdict, script.reached[told])) {
            events.scriptError("the test server sent a verdict for " +
                               testLabel(verdict.name, verdict.position) +
                               ", a test this run does not reach there");
            break;
        }
        events.testResult(resultOf(verdict, script.reached[told]));
        ++told;
    }
    return told;
}

// What ended a run that never returned, in the words of the not-run line.
std::string causeOf(const std::string& reason) {
    if (reason.find("crashed") != std::string::npos) return "after the crash";
    if (reason.find("timed out") != std::string::npos) return "after the time-out";
    if (reason.find("exited") != std::string::npos) return "after the exit";
    return "after the test server's error";
}

// The server tells what ended the run as the error of the test that was
// running; without one, the run ended outside any test.
void tellStop(const remote::ExchangeReply& reply, const RemoteScript& script, std::size_t told,
              ScriptEvents& events) {
    const std::string reason = withoutLineEnd(reply.errText);
    const bool inTest = told > 0 && !reply.verdicts.empty() &&
                        reply.verdicts[told - 1].outcome == remote::VerdictOutcome::error &&
                        withoutLineEnd(reply.verdicts[told - 1].reason) == reason;
    if (!inTest) {
        const std::string where = told == 0
                                      ? " before the first test"
                                      : " after " + testLabel(script.reached[told - 1].name,
                                                              script.reached[told - 1].position);
        events.scriptError(reason + where);
    }
    tellNotRun(script, told, causeOf(reason), events);
}

// A verdict that says why it erred already tells the server's own error.
bool toldByVerdict(const remote::ExchangeReply& reply, const std::string& text) {
    for (const remote::RemoteVerdict& verdict : reply.verdicts)
        if (withoutLineEnd(verdict.reason) == text) return true;
    return false;
}

// The library's script error, with its place, and then the server's own.
void tellErrors(const remote::ExchangeReply& reply, const RemoteScript& script,
                ScriptEvents& events) {
    const remote::RemoteRunEnd& end = reply.runEnd;
    if (end.errLine >= 1)
        events.scriptError(withoutLineEnd(end.errText), end.errLine,
                           errorColumnOf(script, end.errLine, end.errPos));
    const bool libraryError = reply.errLine == end.errLine && reply.errPos == end.errPos;
    const std::string own = withoutLineEnd(reply.errText);
    if (reply.errLine >= 1 && !libraryError && !toldByVerdict(reply, own)) events.scriptError(own);
    if (end.code == -3 && !events.hasError())
        events.scriptError("no output file: the test server could not open one");
}

}  // namespace

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

void tellNotRun(const RemoteScript& script, std::size_t told, const std::string& why,
                ScriptEvents& events) {
    std::vector<std::string> tests;
    for (std::size_t i = told; i < script.reached.size(); ++i)
        tests.push_back(testLabel(script.reached[i].name, script.reached[i].position));
    const int count = static_cast<int>(tests.size());
    events.notRun(count, why, std::move(tests));
}

void tellVerdicts(const remote::ExchangeReply& reply, const RemoteScript& script,
                  ScriptEvents& events) {
    if (!script.known)
        return events.scriptError(
            "cannot read the script here to check the test server's verdicts");
    const std::size_t told = tellInOrder(reply.verdicts, script, events);
    const remote::RemoteRunEnd& end = reply.runEnd;
    if (end.dropped > 0)
        events.scriptError("verdicts lost: the test server dropped " + std::to_string(end.dropped) +
                           " beyond its limit");
    if (!end.returned) return tellStop(reply, script, told, events);
    tellErrors(reply, script, events);
    // Where the run stopped elsewhere than the script read here, the tests it
    // reached are not known.
    if (told == reply.verdicts.size() && told < script.reached.size() && end.dropped == 0 &&
        stopsAlike(script, end.errLine, end.errPos))
        events.scriptError("verdicts lost: the run reached " +
                           std::to_string(script.reached.size()) + " tests, " +
                           std::to_string(told) + " verdicts arrived");
}

}  // namespace zorrun
