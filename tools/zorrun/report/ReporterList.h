// The one place runners send their events: every reporter added hears each
// event, in the order they were added.
#pragma once

#include <vector>

#include "Events.h"

namespace zorrun {

class ReporterList : public Reporter {
public:
    void add(Reporter& reporter) { reporters.push_back(&reporter); }

    void runStart(const RunStart& event) override { tell(&Reporter::runStart, event); }
    void scriptStart(const ScriptStart& event) override { tell(&Reporter::scriptStart, event); }
    void testResult(const TestResult& event) override { tell(&Reporter::testResult, event); }
    void scriptError(const ScriptError& event) override { tell(&Reporter::scriptError, event); }
    void testsNotRun(const TestsNotRun& event) override { tell(&Reporter::testsNotRun, event); }
    void scriptEnd(const ScriptEnd& event) override { tell(&Reporter::scriptEnd, event); }
    void runEnd(const RunEnd& event) override { tell(&Reporter::runEnd, event); }

private:
    template <typename Event>
    void tell(void (Reporter::*hear)(const Event&), const Event& event) {
        for (Reporter* reporter : reporters) (reporter->*hear)(event);
    }

    std::vector<Reporter*> reporters;
};

}  // namespace zorrun
