// Run, ReRead and Save against a recording dialog and a scripted library,
// with real files in a fresh working directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include "FakeDialogView.h"
#include "RunFilter.h"
#include "ScriptCommands.h"
#include "TempDir.h"
#include "WorkingDir.h"

using namespace viewer;
using zortest::readFile;
using zortest::writeFile;

namespace {

// Answers each run with a prepared result and remembers what the run saw.
class FakeLibrary : public LibraryAccess {
public:
    bool hasRegistry() const override { return registry; }
    void setTrace(const TraceSettings&) override {}
    RunResult parse(const std::string& inputFile, const std::string& filter) override {
        ++runs;
        seenFilter = filter;
        seenInput = std::filesystem::exists(inputFile) ? readFile(inputFile) : "<missing>";
        if (duringRun) duringRun();
        return result;
    }
    void setLastOutFile(const std::string&) override {}
    std::string lastOutFile() const override { return {}; }

    bool registry = true;
    RunResult result;
    int runs = 0;
    std::string seenFilter;
    std::string seenInput;
    std::function<void()> duringRun;
};

// Event files are written in the working directory.
class ScriptCommandsTest : public ::testing::Test {
protected:
    ScriptCommandsTest() : workingDir(dir.path()), commands(view, library) {}

    zortest::TempDir dir;
    WorkingDir workingDir;
    zortest::FakeDialogView view;  // input file "in.txt"
    FakeLibrary library;
    ScriptCommands commands;
};

}  // namespace

// The run sees the edited pane and the selected test; the input file gets its
// content back, or is created when there was none (a stale backup is not
// restored over it).
TEST_F(ScriptCommandsTest, RunSeesTheEditedPaneAndRestoresOrCreatesTheInputFile) {
    writeFile("in.txt", "old script\r\n");
    view.script = "{t0}\n{t1}";
    view.selection = {6, 8, "t1"};
    commands.runScript();
    EXPECT_EQ(library.seenInput, "{t0}\r\n{t1}");
    EXPECT_EQ(library.seenFilter, "t106");
    EXPECT_EQ(readFile("in.txt"), "old script\r\n");
    EXPECT_FALSE(std::filesystem::exists("in.txt_"));
    std::filesystem::remove("in.txt");
    writeFile("in.txt_", "stale");
    view.script = "fresh";
    commands.runScript();
    EXPECT_EQ(readFile("in.txt"), "fresh");
}

// The error's character is marked, held within the pane's text. A notice
// says why the output file is cut or missing: it takes the field in place of
// the file's name, whether the file can be shown or not.
TEST_F(ScriptCommandsTest, TheFieldExplainsAMissingOutputAnErrorOrANotice) {
    commands.runScript();
    EXPECT_EQ(view.field, "no ResultFile specified");
    library.result.errText = "syntax error in line 1\n";
    library.result.errLine = 1;
    for (const auto& [pos, start, end] : {std::tuple{5, 5, 6}, {1000, 8, 8}}) {
        view.script = "{ t1 x }";
        library.result.errPos = pos;
        commands.runScript();
        EXPECT_EQ(view.field, "syntax error in line 1");
        EXPECT_EQ(view.errorMark, std::pair(start, end));
    }
    writeFile("out.txt", "cut\r\n\xFF report");
    for (const std::string shown : {"out.txt", ""}) {
        library.result.outFile = shown;
        library.result.notice = "cannot write the report to out.txt: File too large";
        commands.runScript();
        EXPECT_EQ(view.field, library.result.notice);
        EXPECT_EQ(view.output, shown.empty() ? "" : "cut\n\xFF report");
    }
    // Without a registry of test functions nothing runs.
    library.registry = false;
    commands.runScript();
    EXPECT_EQ(view.field, "no Server connected");
    EXPECT_EQ(library.runs, 5);
}

// Events are written without a line break to "xin.txt" and run at once,
// leaving the input file and the field alone; one that cannot be written, or
// that comes during a run (which may be running the event file), is lost. A
// second run, a Save or a ReRead during a run is refused.
TEST_F(ScriptCommandsTest, EventsAndCommandsDuringARunAreRefused) {
    writeFile("in.txt", "kept");
    writeFile("xin.txt", "an older and longer event");
    view.selection = {0, 4, "pane"};
    library.duringRun = [this] {
        EXPECT_TRUE(commands.busy());
        commands.runEvent("keypress{x=0 y=0 key=\"a\"}");
        view.script = "inner";
        commands.runScript();
        commands.saveInput("in.txt");
        commands.loadInput();
    };
    commands.runEvent("buttonpress{x=12 y=345 button=0}");
    EXPECT_EQ(library.runs, 1);
    EXPECT_EQ(library.seenInput, "buttonpress{x=12 y=345 button=0}");
    EXPECT_EQ(readFile("in.txt"), "kept");
    EXPECT_EQ(view.script, "inner");
    EXPECT_EQ(view.field, "old field");
    EXPECT_FALSE(commands.busy());
    std::filesystem::remove("xin.txt");
    std::filesystem::create_directory("xin.txt");
    commands.runEvent("ongraphic{}");
    EXPECT_EQ(library.runs, 1);
}

// A file goes back in the line ends it was read with (the encodings are the
// dialog's test), through a temporary file that keeps its mode; a new script
// gets line feeds.
TEST_F(ScriptCommandsTest, SaveWritesBackTheFormTheFileWasReadIn) {
    writeFile("in.txt", "a\r\n");
    std::filesystem::permissions("in.txt", std::filesystem::perms(0640));
    EXPECT_TRUE(commands.loadInput());
    EXPECT_TRUE(view.modified);  // still to be sent to a test server
    view.script += "x\n";
    EXPECT_TRUE(commands.saveInput("in.txt"));
    EXPECT_EQ(readFile("in.txt"), "a\r\nx\r\n");
    EXPECT_EQ(std::filesystem::status("in.txt").permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."),
                            std::filesystem::directory_iterator()),
              1);
    commands.startNew();
    view.script = "n\nm";
    EXPECT_TRUE(commands.saveInput("new.txt"));
    EXPECT_EQ(readFile("new.txt"), "n\nm");
}

// A selection's first line, then zero and its position; a long one is cut so
// that the library takes the filter.
TEST(RunFilterTest, FirstLineOfTheSelectionThenZeroAndItsPosition) {
    EXPECT_EQ(buildFilter("abc\r\ndef", 10), "abc010");
    const std::string filter = buildFilter(std::string(400, 'x'), 123456);
    EXPECT_EQ(filter.size(), static_cast<size_t>(filterLimit));
    EXPECT_TRUE(filter.ends_with("0123456"));
}
