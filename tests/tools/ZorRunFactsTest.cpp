// What ZorRun makes of the library's facts: a failed comparison's entries as
// the console shows them, the names that reach one output file, and the file
// a script's name leads to.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "CheckedScript.h"
#include "FailedEntryText.h"
#include "OutputFiles.h"
#include "TempDir.h"
#include "Verdict.h"

namespace {

ComparisonEntry entry(const std::string& path, const std::string& expected,
                      const std::string& actual, bool held = false) {
    return {path, "<=", expected, actual, expected, actual, held};
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
        return zorrun::shareFiles({zorrun::fileIdentities(dir.file(one)), false},
                                  {zorrun::fileIdentities(dir.file(other)), false});
    };
    // Looked at before the file is made and after: still one file, so that a
    // job planned while an earlier one already writes it waits for it.
    const std::vector<std::string> before = zorrun::fileIdentities(dir.file("out.txt"));
    EXPECT_TRUE(same("out.txt", "alias.txt"));
    EXPECT_TRUE(same("out.txt", "chain.txt"));
    EXPECT_TRUE(same("out.txt", "sub/../out.txt"));
    EXPECT_TRUE(same("sub/x.txt", "folder/x.txt"));
    EXPECT_FALSE(same("out.txt", "sub/out.txt"));
    zortest::writeFile(dir.file("out.txt"), "");
    EXPECT_TRUE(zorrun::shareFiles({before, false},
                                   {zorrun::fileIdentities(dir.file("./out.txt")), false}));
    ASSERT_EQ(link(dir.file("out.txt").c_str(), dir.file("sub/hard.txt").c_str()), 0);
    EXPECT_TRUE(same("out.txt", "alias.txt"));
    EXPECT_TRUE(same("out.txt", "sub/hard.txt"));
    EXPECT_FALSE(same("out.txt", "sub/x.txt"));
}

// The library reads the file that was checked, through its descriptor: a
// file put in the script's place afterwards is never opened (the files that
// are refused are the hostile input test's).
TEST(CheckedScriptTest, TheFileReadIsTheFileChecked) {
    zortest::TempDir dir;
    const std::string script = dir.file("a.txt");
    zortest::writeFile(script, "checked\n");
    const zorrun::CheckedScript checked(script);
    EXPECT_EQ(checked.getProblem(), "");
    std::filesystem::remove(script);
    zortest::writeFile(script, "swapped\n");
    EXPECT_EQ(zortest::readFile(checked.getPath()), "checked\n");
}
