// zorrun.toml as every program reads it: found from a starting folder up,
// its paths given from that folder, refused whole with the place of a fault.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "TempDir.h"
#include "host/ProjectFile.h"

namespace {

struct Read {
    bool usable;
    host::ProjectFile project;
    host::ProjectFault fault;
};

Read readFrom(const std::string& folder) {
    Read read;
    read.usable = host::readProjectFile(folder, read.project, read.fault);
    return read;
}

// The nearest file wins; from below it, its paths lead back up, absolute ones
// stay as written, and the project's folder is the default suite (the command
// line's side is ZorRun's project test).
TEST(ProjectFileTest, PathsAreGivenFromTheStartingFolder) {
    zortest::TempDir dir;
    std::filesystem::create_directories(dir.file("suite/work"));
    zortest::writeFile(dir.file("zorrun.toml"), "jobs = 9\n");
    zortest::writeFile(dir.file("suite/zorrun.toml"),
                       "modules = [\"build/m.so\", \"/opt//n.so\"]\njson = \"r/run.json\"\n");
    const Read read = readFrom(dir.file("suite/work/"));
    ASSERT_TRUE(read.usable) << read.fault.reason;
    EXPECT_EQ(read.project.path, "../zorrun.toml");
    EXPECT_EQ(read.project.modules, (std::vector<std::string>{"../build/m.so", "/opt/n.so"}));
    EXPECT_EQ(read.project.json, "../r/run.json");
    EXPECT_EQ(read.project.scripts, std::vector<std::string>{".."});
}

// A fault in the text is placed; a FIFO must not keep the reader waiting.
// Unknown keys, lists where names go and files other users may write are
// ZorRun's project test.
TEST(ProjectFileTest, AFaultyFileOrNoRegularFileIsRefusedWhole) {
    zortest::TempDir dir;
    const std::string file = dir.file("zorrun.toml");
    const struct {
        const char* text;
        int line, column;
        const char* reason;
    } faults[] = {
        {"scripts = [\"\"]\n", 1, 11, "scripts expects a list of names"},
        {"color = [1]\n", 1, 9, "color expects a number or a text"},
        {"jobs = 2\npattern = \"\"\n", 2, 11, "pattern expects a shell glob"},
    };
    for (const auto& expected : faults) {
        zortest::writeFile(file, expected.text);
        const Read read = readFrom(dir.path().string());
        EXPECT_FALSE(read.usable) << expected.text;
        EXPECT_EQ(host::faultPlace("f", read.fault),
                  "f:" + std::to_string(expected.line) + ":" + std::to_string(expected.column));
        EXPECT_EQ(read.fault.reason, expected.reason);
    }
    zortest::writeFile(file, "jobs = 2\njobs = 3\n");
    EXPECT_EQ(readFrom(dir.path().string()).fault.line, 2);
    std::filesystem::remove(file);
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    const Read read = readFrom(dir.path().string());
    EXPECT_FALSE(read.usable);
    EXPECT_EQ(read.fault.reason, "is not a regular file");
}

}  // namespace
