// What ZorRun makes of the library's facts: a failed comparison's entries as
// the console shows them, the files two scripts share, and the tests a run
// reaches by a script's outline.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "FailedEntryText.h"
#include "OutputFiles.h"
#include "TempDir.h"
#include "TestReach.h"
#include "Verdict.h"

namespace {

ComparisonEntry entry(const std::string& path, const std::string& expected,
                      const std::string& actual, bool held = false) {
    return {path, "<=", expected, actual, expected, actual, held};
}

OutlineRecord record(OutlineRecord::Kind kind, const std::string& name, int position, int line) {
    OutlineRecord made;
    made.kind = kind;
    made.name = name;
    made.position = position;
    made.line = line;
    return made;
}

}  // namespace

// Only entries that did not hold are shown, with their exact forms, at most
// 20, each value cut after 200 bytes without splitting a character; the rest
// are counted, never dropped without a word.
TEST(FailedEntryTextTest, ShowsTheExactFormsOfTheFirstEntriesAndCountsTheRest) {
    Comparison comparison;
    comparison.entries.push_back(entry("a", "5", "5", true));
    comparison.entries.push_back({"d", "==", "0.300000", "0.300000", "0.3", "0.30000000000000004"});
    comparison.entries.push_back(
        entry("s", "\"" + std::string(198, 'x') + "\xc3\xa9\"", "undefined"));
    for (int i = 0; i < 25; ++i) comparison.entries.push_back(entry("n", "1", std::to_string(i)));
    std::string packed;
    EXPECT_EQ(zorrun::packFailedEntries(comparison, packed), 7);
    const auto entries = zorrun::unpackFailedEntries(packed);
    ASSERT_EQ(entries.size(), 20u);
    EXPECT_EQ(entries[0].expected, "d == 0.3");
    EXPECT_EQ(entries[0].actual, "0.30000000000000004");
    EXPECT_EQ(entries[1].expected, "s <= \"" + std::string(198, 'x') + "...");
    EXPECT_EQ(entries[1].actual, "undefined");
    EXPECT_EQ(entries[19].expected, "n <= 1");
    EXPECT_EQ(entries[19].actual, "17");

    packed.clear();
    comparison.entries.resize(1);
    EXPECT_EQ(zorrun::packFailedEntries(comparison, packed), 0);
    EXPECT_TRUE(packed.empty());
}

// One file under two names is one file: a link (also one whose target is not
// there yet), a hard link, a detour through "..". Other files, and a name
// only alike in spelling, are not.
TEST(OutputFilesTest, NamesThatReachOneFileAreOne) {
    zortest::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directory(dir.file("sub"));
    fs::create_symlink("out.txt", dir.file("alias.txt"));
    fs::create_symlink("alias.txt", dir.file("chain.txt"));
    fs::create_directory_symlink("sub", dir.file("folder"));
    const auto same = [&](const std::string& one, const std::string& other) {
        return zorrun::fileIdentity(dir.file(one)) == zorrun::fileIdentity(dir.file(other));
    };
    EXPECT_TRUE(same("out.txt", "alias.txt"));
    EXPECT_TRUE(same("out.txt", "chain.txt"));
    EXPECT_TRUE(same("out.txt", "sub/../out.txt"));
    EXPECT_TRUE(same("sub/x.txt", "folder/x.txt"));
    EXPECT_FALSE(same("out.txt", "sub/out.txt"));
    zortest::writeFile(dir.file("out.txt"), "");
    ASSERT_EQ(link(dir.file("out.txt").c_str(), dir.file("sub/hard.txt").c_str()), 0);
    EXPECT_TRUE(same("out.txt", "alias.txt"));
    EXPECT_TRUE(same("out.txt", "sub/hard.txt"));
    EXPECT_FALSE(same("out.txt", "sub/x.txt"));
}

// A script shares with another when one file of each is one, its own file
// included; a computed name or an unreadable script shares with every other.
TEST(OutputFilesTest, ScriptsShareThroughAnyOneFile) {
    zortest::TempDir dir;
    ScriptOutline writesA, writesB, computes;
    writesA.files.push_back({OutlineFile::resultFile, dir.file("a.txt"), false, 1});
    writesB.files.push_back({OutlineFile::deleteFile, dir.file("b.txt"), false, 1});
    writesB.files.push_back({OutlineFile::resultFile, dir.file("./a.txt"), false, 2});
    computes.files.push_back({OutlineFile::resultFile, "", true, 1});
    const auto files = [&](const char* script, const ScriptOutline& outline, int outlined = 0) {
        return zorrun::scriptFiles(dir.file(script), outline, outlined);
    };
    const ScriptOutline none;
    EXPECT_TRUE(zorrun::shareFiles(files("1.txt", writesA), files("2.txt", writesB)));
    EXPECT_FALSE(zorrun::shareFiles(files("1.txt", writesA), files("2.txt", none)));
    EXPECT_TRUE(zorrun::shareFiles(files("1.txt", none), files("1.txt", none)));
    EXPECT_FALSE(zorrun::shareFiles(files("1.txt", none), files("b.txt", none)));
    EXPECT_TRUE(zorrun::shareFiles(files("1.txt", none), files("2.txt", computes)));
    EXPECT_TRUE(zorrun::shareFiles(files("1.txt", none), files("2.txt", none, -2)));
    EXPECT_TRUE(zorrun::shareFiles(files("a.txt", none), files("2.txt", writesA)));
}

// Only test records count, those the selection takes; under a filter the
// outline cannot tell, and neither for a script that could not be read.
// Lines are found by a record's exact position.
TEST(TestReachTest, TestRecordsTheSelectionTakesInOrder) {
    ScriptOutline outline;
    outline.records = {
        record(OutlineRecord::global, "", 0, 1), record(OutlineRecord::test, "login", 10, 2),
        record(OutlineRecord::externTest, "cached", 30, 4),
        record(OutlineRecord::test, "logout", 50, 7), record(OutlineRecord::test, "login", 80, 9)};
    zorrun::TestReach reach = zorrun::testsReached("s.txt", outline, 0, "", nullptr);
    ASSERT_TRUE(reach.known);
    EXPECT_EQ(reach.tests, (std::vector<int>{1, 3, 4}));

    zorrun::TestSelection selection;
    selection.addPattern("logo*");
    reach = zorrun::testsReached("s.txt", outline, 0, "", &selection);
    EXPECT_EQ(reach.tests, std::vector<int>{3});

    EXPECT_FALSE(zorrun::testsReached("s.txt", outline, 0, "login 10", nullptr).known);
    EXPECT_FALSE(zorrun::testsReached("s.txt", outline, -2, "", nullptr).known);

    EXPECT_EQ(zorrun::lineOf(outline, 50), 7);
    EXPECT_EQ(zorrun::lineOf(outline, 0), 1);
    EXPECT_EQ(zorrun::lineOf(outline, 51), 0);
    EXPECT_EQ(zorrun::lineOf(outline, 81), 0);
    EXPECT_EQ(zorrun::lineOf(outline, -1), 0);
}
