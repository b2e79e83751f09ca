#include "ScriptCommands.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>

#include "DialogView.h"
#include "EventRecords.h"
#include "RunFilter.h"
#include "RunStatus.h"
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

std::string testNameOf(const PaneSelection& selection) {
    return selection.text.substr(0, selection.text.find_first_of("\r\n"));
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

bool ScriptCommands::loadInput() {
    if (running) return false;
    const std::string name = view.inputFileName();
    const std::optional<std::string> bytes = readFileBytes(name);
    if (!bytes) {
        // The pane may hold the only copy of a file deleted on disk.
        view.setOutputField("file not found " + name);
        return false;
    }
    const TextForm form = detectForm(*bytes);
    std::string text = *bytes;
    std::erase(text, '\r');
    view.setScriptText(text, form.encoding);
    view.setScriptSaved();
    origin.take(name, *bytes, form);
    // A fresh text must still reach a test server on the next remote run.
    view.markScriptModified();
    return true;
}

bool ScriptCommands::saveInput(const std::string& name) {
    return !running && writeInput(name);
}

bool ScriptCommands::settleEdits() {
    if (running) return false;
    if (!view.scriptUnsaved()) return true;
    const std::string name = view.inputFileName();
    switch (view.askUnsaved("The script " + name + " has unsaved edits.\nSave them first?")) {
        case UnsavedAnswer::save:
            return writeInput(name);
        case UnsavedAnswer::discard:
            return true;
        case UnsavedAnswer::cancel:
            break;
    }
    return false;
}

void ScriptCommands::startNew() {
    if (running) return;
    origin.forget();
    view.setScriptText(std::string(), origin.form().encoding);
    view.setScriptSaved();
}

bool ScriptCommands::writeInput(const std::string& name) {
    std::string why = unwritableText();
    if (why.empty() && !mayReplace(name)) return false;
    const std::string bytes = withLineEnds(view.scriptText(), origin.form());
    if (why.empty()) why = writeFileReason(name, bytes);
    if (!why.empty()) {
        view.setOutputText("cannot write " + name + ": " + why);
        return false;
    }
    origin.take(name, bytes, origin.form());
    view.setScriptSaved();
    return true;
}

// A file the pane never held, or one changed on disk since it was read or
// saved, may hold work that is nowhere else.
bool ScriptCommands::mayReplace(const std::string& name) {
    const std::optional<std::string> onDisk = readFileBytes(name);
    if (!onDisk) return true;
    if (!origin.holds(name))
        return view.confirm(name +
                            " already exists and the script pane does not hold it.\n"
                            "Replace it?");
    if (origin.bytes() && *origin.bytes() != *onDisk)
        return view.confirm(name + " changed on disk since it was read or saved.\nReplace it?");
    return true;
}

std::string ScriptCommands::unwritableText() const {
    const std::string unfit = view.unencodableCharacter();
    if (unfit.empty()) return {};
    return "\"" + unfit + "\" cannot be written in " + encodingName(origin.form().encoding) +
           ", the file's encoding";
}

void ScriptCommands::run(const std::string& inputFile, bool eventRun) {
    // The run would see "?" where the pane shows the character.
    const std::string unwritable = eventRun ? std::string() : unwritableText();
    if (!unwritable.empty()) {
        view.setOutputField("cannot run " + inputFile + ": " + unwritable);
        return;
    }
    BusyScope busyScope(running);
    if (!view.graphicMode()) view.setOutputText(std::string());
    view.clearDisplayList();
    const std::string filter = eventRun ? std::string() : filterOf(view.scriptSelection());
    library.setTrace(trace);
    const std::time_t started = std::time(nullptr);
    const auto clockStarted = std::chrono::steady_clock::now();

    view.markScript(0, 0);
    RunResult result;
    PaneRun paneRun;
    const bool remoteRun = remote && remote->connected();
    const std::string where = remoteRun ? remote->address() : "local";
    if (remoteRun) {
        result = remote->remoteRun(inputFile, filter, eventRun);
        if (!eventRun) library.setLastOutFile(result.outFile);
    } else {
        if (!library.hasRegistry()) {
            view.setOutputField("no Server connected");
            return;
        }
        result = runLocally(inputFile, filter, eventRun, paneRun);
    }

    if (!eventRun)
        view.setOutputField(result.notice.empty()
                                ? result.outFile + formatRunTime(std::time(nullptr) - started)
                                : result.notice);
    if (!eventRun) {
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - clockStarted;
        const PaneSelection selection = view.scriptSelection();
        const std::string name = filter.empty() ? std::string() : testNameOf(selection);
        view.setStatus(runStatusText({where, name, selection.start, &result, took.count(),
                                      paneRun.refused, paneRun.diskFileRan}));
    }
    showResult(result, eventRun);
    if (filter.empty() && !eventRun) view.outputCaretToEnd();
    if (result.errLine != 0 && result.errPos != -1) markError(result.errPos);
    view.repaintGraphic();
}

// A normal run runs the pane's current text: the input file is saved for the
// run and gets its former content back afterwards. A file that cannot take
// the pane's text runs as it is on disk, and the run says so.
RunResult ScriptCommands::runLocally(const std::string& inputFile, const std::string& filter,
                                     bool eventRun, PaneRun& paneRun) {
    const std::string backup = inputFile + "_";
    bool backedUp = false;
    if (!eventRun) {
        backedUp = copyFile(inputFile, backup);
        paneRun.refused = writeRunCopy(inputFile, !backedUp);
    }
    if (!paneRun.refused.empty()) {
        // The file was never replaced, so its backup has nothing to give back.
        if (backedUp) removeFile(backup);
        backedUp = false;
        const std::optional<std::string> onDisk = readPaneText(inputFile);
        paneRun.diskFileRan = onDisk.has_value();
        if (onDisk == view.scriptText()) paneRun.refused.clear();
    }
    RunResult result = library.parse(inputFile, filter);
    // Only this run's own backup is put back, and it is deleted only once it
    // is back in place: a failed restore must not lose the former content.
    if (backedUp && copyFile(backup, inputFile)) removeFile(backup);
    return result;
}

// The library counts positions in the "\r\n" form, whatever the file's own
// line ends. A file that did not exist keeps the pane's text after the run,
// so it is the pane's own and a later Save does not ask before replacing it.
std::string ScriptCommands::writeRunCopy(const std::string& inputFile, bool newFile) {
    const std::string bytes = withCrLf(view.scriptText());
    const std::string why = writeFileReason(inputFile, bytes);
    if (!why.empty()) return "cannot write " + inputFile + ": " + why;
    if (newFile) origin.take(inputFile, bytes, origin.form());
    return {};
}

void ScriptCommands::showResult(const RunResult& result, bool eventRun) {
    std::optional<std::string> output;
    if (!result.outFile.empty()) output = readPaneText(result.outFile);
    if (output) {
        view.setOutputText(*output);
        view.markFailures(result.failures);
    } else if (!result.notice.empty()) {
        // The output field already says why.
    } else if (result.errText.empty()) {
        if (!eventRun) view.setOutputField("no ResultFile specified");
    } else {
        // The library's error text ends with its line feed, which a one-line
        // field cannot show, a broken server's with a space; a server's own
        // error may end with neither, and keeps its last character.
        std::string text = result.errText;
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        view.setOutputField(text);
    }
}

// The error's character, held within the pane's text.
void ScriptCommands::markError(int errPos) {
    const int length = static_cast<int>(view.scriptText().size());
    const int start = std::clamp(errPos, 0, length);
    view.markScript(start, std::min(start + 1, length));
}

}  // namespace viewer
