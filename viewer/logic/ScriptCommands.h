// The viewer's commands on the script: Run, ReRead and Save. They read and
// fill the dialog through DialogView and run scripts through the library or a
// test server.
#pragma once

#include <string>

#include "RunEngines.h"
#include "TraceSettings.h"

namespace viewer {

class DialogView;

class ScriptCommands {
public:
    ScriptCommands(DialogView& dialog, LibraryAccess& runLibrary);

    // Runs the script pane's text, or only the test whose name is selected.
    void runScript();
    // Runs an event script (a recorded click or key): the input file named in
    // the dialog stays untouched and the output field keeps its text.
    void runEvents(const std::string& eventInput);
    // Writes the event record into the event script file and runs that file
    // as an event run. Nothing happens while a run is in progress (it may be
    // reading the event file) or when the file cannot be written.
    void runEvent(const std::string& record);
    // Reloads the input file into the script pane.
    void loadInput();
    // Writes the script pane to the file; on failure the output pane says so.
    void saveInput(const std::string& name);

    // While a run is in progress the dialog keeps handling events, so that a
    // test waiting for notifications sees them; no second run and no file
    // command may start then.
    bool busy() const { return running; }

    TraceSettings& traceSettings() { return trace; }
    // The output file of the last run, as the library keeps it.
    std::string lastOutFile() const { return library.lastOutFile(); }
    // The test server, once one is set up; runs go to it while it is connected.
    void setRemote(RemoteAccess* server) { remote = server; }

private:
    void run(const std::string& inputFile, bool eventRun);
    RunResult runLocally(const std::string& inputFile, const std::string& filter, bool eventRun);
    void showResult(const RunResult& result, bool eventRun);
    void selectError(int errPos);
    void writeInput(const std::string& name);

    DialogView& view;
    LibraryAccess& library;
    RemoteAccess* remote = nullptr;
    TraceSettings trace;
    bool running = false;
};

}  // namespace viewer
