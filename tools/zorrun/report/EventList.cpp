#include "EventList.h"

namespace zorrun {

namespace {

struct Teller {
    Reporter& reporter;
    void operator()(const RunStart& event) const { reporter.runStart(event); }
    void operator()(const ScriptStart& event) const { reporter.scriptStart(event); }
    void operator()(const TestResult& event) const { reporter.testResult(event); }
    void operator()(const ScriptError& event) const { reporter.scriptError(event); }
    void operator()(const TestsNotRun& event) const { reporter.testsNotRun(event); }
    void operator()(const ScriptEnd& event) const { reporter.scriptEnd(event); }
    void operator()(const RunEnd& event) const { reporter.runEnd(event); }
};

}  // namespace

void EventList::replay(Reporter& reporter) const {
    for (const Event& event : events) std::visit(Teller{reporter}, event);
}

}  // namespace zorrun
