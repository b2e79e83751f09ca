#include "ScriptCommands.h"

#include <algorithm>
#include <ctime>
#include <optional>

#include "DialogView.h"
#include "EventRecords.h"
#include "RunFilter.h"
#include "RunTimeText.h"
#include "ScriptFile.h"

namespace viewer {

namespace {

// Holds the busy flag for the length of a run, whichever way the run ends.
class BusyScope {
public:
    explicit BusyScope(bool& busyFlag) : flag(busyFlag) { flag = true; }
    ~BusyScope() { flag = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag;
};

std::string filterOf(const PaneSelection& selection) {
    const std::string_view text =
        std::string_view(selection.text).substr(0, static_cast<size_t>(filterLimit));
    return buildFilter(text, selection.start);
}

}  // namespace

ScriptCommands::ScriptCommands(DialogView& dialog, LibraryAccess& runLibrary)
    : view(dialog), library(runLibrary) {}

void ScriptCommands::runScript() {
    if (!running) run(view.inputFileName(), false);
}

void ScriptCommands::runEvents(const std::string& eventInput) {
    if (!running) run(eventInput, true);
}

void ScriptCommands::runEvent(const std::string& record) {
    if (running || !writeFileBytes(eventFile, record)) return;
    runEvents(eventFile);
}

void ScriptCommands::loadInput() {
    if (running) return;
    const std::string name = view.inputFileName();
    const std::optional<std::string> text = readPaneText(name);
    if (!text) view.setOutputField("file not found " + name);
    view.setScriptText(text.value_or(std::string()));
    // A fresh text must still reach a test server on the next remote run.
    view.markScriptModified();
}

void ScriptCommands::saveInput(const std::string& name) {
    if (!running) writeInput(name);
}

void ScriptCommands::writeInput(const std::string& name) {
    if (!writePaneText(name, view.scriptText())) view.setOutputText("cannot write " + name);
}

void ScriptCommands::run(const std::string& inputFile, bool eventRun) {
    BusyScope busyScope(running);
    if (!view.graphicMode()) view.setOutputText(std::string());
    view.clearDisplayList();
    const std::string filter = eventRun ? std::string() : filterOf(view.scriptSelection());
    library.setTrace(trace);
    const std::time_t started = std::time(nullptr);

    RunResult result;
    if (remote && remote->connected()) {
        result = remote->remoteRun(inputFile, filter, eventRun);
        if (!eventRun) library.setLastOutFile(result.outFile);
    } else {
        if (!library.hasRegistry()) {
            view.setOutputField("no Server connected");
            return;
        }
        result = runLocally(inputFile, filter, eventRun);
    }

    if (!eventRun)
        view.setOutputField(result.notice.empty()
                                ? result.outFile + formatRunTime(std::time(nullptr) - started)
                                : result.notice);
    showResult(result, eventRun);
    if (filter.empty() && !eventRun) view.outputCaretToEnd();
    if (result.errLine != 0 && result.errPos != -1) selectError(result.errPos);
    view.repaintGraphic();
}

// A normal run runs the pane's current text: the input file is saved for the
// run and gets its former content back afterwards.
RunResult ScriptCommands::runLocally(const std::string& inputFile, const std::string& filter,
                                     bool eventRun) {
    const std::string backup = inputFile + "_";
    bool backedUp = false;
    if (!eventRun) {
        backedUp = copyFile(inputFile, backup);
        writeInput(inputFile);
    }
    RunResult result = library.parse(inputFile, filter);
    // Only this run's own backup is put back, and it is deleted only once it
    // is back in place: a failed restore must not lose the former content.
    if (backedUp && copyFile(backup, inputFile)) removeFile(backup);
    return result;
}

void ScriptCommands::showResult(const RunResult& result, bool eventRun) {
    std::optional<std::string> output;
    if (!result.outFile.empty()) output = readPaneText(result.outFile);
    if (output) {
        view.setOutputText(*output);
    } else if (!result.notice.empty()) {
        // The output field already says why.
    } else if (result.errText.empty()) {
        if (!eventRun) view.setOutputField("no ResultFile specified");
    } else {
        // The error text ends with its line feed, which a one-line field cannot show.
        view.setOutputField(result.errText.substr(0, result.errText.size() - 1));
    }
}

// The error's character, held within the pane's text.
void ScriptCommands::selectError(int errPos) {
    const int length = static_cast<int>(view.scriptText().size());
    const int start = std::clamp(errPos, 0, length);
    view.selectScript(start, std::min(start + 1, length));
}

}  // namespace viewer
