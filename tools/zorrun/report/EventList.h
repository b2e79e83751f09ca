// Events kept in order, to be told to other reporters later: a script that
// runs beside others is recorded whole, then replayed once every script
// before it has been, so that the reports read as with one job.
#pragma once

#include <variant>
#include <vector>

#include "Events.h"

namespace zorrun {

using Event =
    std::variant<RunStart, ScriptStart, TestResult, ScriptError, TestsNotRun, ScriptEnd, RunEnd>;

class EventList : public Reporter {
public:
    void runStart(const RunStart& event) override { events.emplace_back(event); }
    void scriptStart(const ScriptStart& event) override { events.emplace_back(event); }
    void testResult(const TestResult& event) override { events.emplace_back(event); }
    void scriptError(const ScriptError& event) override { events.emplace_back(event); }
    void testsNotRun(const TestsNotRun& event) override { events.emplace_back(event); }
    void scriptEnd(const ScriptEnd& event) override { events.emplace_back(event); }
    void runEnd(const RunEnd& event) override { events.emplace_back(event); }

    // Tells every event kept to reporter, in the order they came.
    void replay(Reporter& reporter) const;
    const std::vector<Event>& getEvents() const { return events; }
    // The events kept so far, leaving this list empty.
    EventList take() {
        EventList taken;
        taken.events.swap(events);
        return taken;
    }

private:
    std::vector<Event> events;
};

}  // namespace zorrun
