// The two places a script can run: the library in this process, or a test
// server that the viewer is connected to.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "TraceSettings.h"

namespace viewer {

// The verdicts of the tests a run reached; a script error or a failure of
// the library counts as one error.
struct RunCounts {
    int passed = 0;
    int failed = 0;
    int errors = 0;
};

// A test the run judged failed: its record's name and the script line the
// name stands on (0 when not known), in the run's order.
struct RunFailure {
    std::string name;
    int line = 0;
};

// What a run leaves behind for the viewer to show.
struct RunResult {
    int code = 0;         // the library's result: 0, a negative failure, or an error line
    std::string outFile;  // output file of the run; empty when the script named none
    std::string errText;
    int errLine = 0;  // 0: no error
    int errPos = -1;  // character of the error; -1 when unknown
    // Why the output file is missing or incomplete, shown in the output field
    // in place of its name: the run's verdicts cannot all be read from it.
    std::string notice;
    // Nothing when a test server sent no verdicts.
    std::optional<RunCounts> counts;
    int reached = -1;  // tests the filter let through; -1 when not known
    std::vector<RunFailure> failures;
};

// The library's run entry points, as the viewer uses them.
class LibraryAccess {
public:
    virtual ~LibraryAccess() = default;
    // Whether any native test function was ever registered.
    virtual bool hasRegistry() const = 0;
    virtual void setTrace(const TraceSettings& trace) = 0;
    // Runs the script file, or the one test the filter selects.
    virtual RunResult parse(const std::string& inputFile, const std::string& filter) = 0;
    virtual void setLastOutFile(const std::string& name) = 0;
    virtual std::string lastOutFile() const = 0;
};

// A test server that runs scripts for the viewer.
class RemoteAccess {
public:
    virtual ~RemoteAccess() = default;
    virtual bool connected() const = 0;
    // The server as "host:port".
    virtual std::string address() const = 0;
    // Hands the script to the server and stores the output file it sends back.
    // A normal run sends the script pane, an event run the event file.
    virtual RunResult remoteRun(const std::string& inputFile, const std::string& filter,
                                bool eventRun) = 0;
};

}  // namespace viewer
