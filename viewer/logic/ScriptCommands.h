// The viewer's commands on the script: Run, ReRead and Save. They read and
// fill the dialog through DialogView and run scripts through the library or a
// test server.
#pragma once

#include <string>

#include "RunEngines.h"
#include "ScriptOrigin.h"
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
    // Reloads the input file into the script pane, showing it in its own
    // encoding. A file that cannot be read leaves the pane as it is and the
    // output field says so; the answer is whether the file was loaded.
    bool loadInput();
    // Writes the script pane to the file in the encoding and line ends it was
    // read with. It asks before replacing a file whose content the pane never
    // held or that changed on disk since, and refuses a character the
    // encoding cannot hold; on failure the output pane says why. The answer
    // is whether the file was written.
    bool saveInput(const std::string& name);
    // Asks Save / Discard / Cancel while the pane holds unsaved edits; the
    // answer is whether the caller may go on and replace the pane's text.
    bool settleEdits();
    // An empty pane for a new script, saved later in UTF-8 with line feeds.
    void startNew();

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
    // Whether a local run could take the pane's text.
    struct PaneRun {
        std::string refused;  // why not; empty when it could
        bool diskFileRan = false;
    };

    void run(const std::string& inputFile, bool eventRun);
    RunResult runLocally(const std::string& inputFile, const std::string& filter, bool eventRun,
                         PaneRun& paneRun);
    void showResult(const RunResult& result, bool eventRun);
    void markError(int errPos);
    // Why the input file cannot take the pane's text; empty when it took it.
    std::string writeRunCopy(const std::string& inputFile, bool newFile);
    bool writeInput(const std::string& name);
    bool mayReplace(const std::string& name);
    // Why the pane cannot be written as it is; empty when it can.
    std::string unwritableText() const;

    DialogView& view;
    LibraryAccess& library;
    RemoteAccess* remote = nullptr;
    TraceSettings trace;
    ScriptOrigin origin;
    bool running = false;
};

}  // namespace viewer
