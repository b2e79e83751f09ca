// Runs scripts through Parse::parseLoop from real files in a fresh folder and
// records what each test record handed to the host: its name, in-data,
// expected data and the results present when the callback ran.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"

class DataMap;

namespace scripttest {

// A record's elements in list order: x=1 for an int, x=2.500000 for a double,
// x="t" for a text.
std::vector<std::string> elementsOf(const DataMap& record);

// What the callback saw of one test record.
struct SeenTest {
    std::string name;
    std::vector<std::string> input;
    std::vector<std::string> expected;
    std::vector<std::string> results;
};

// Position of the text's first occurrence in the script as the scanner counts
// it: every line break before it counts as one character.
int positionOf(const std::string& script, const std::string& text);

class ScriptFixture : public ::testing::Test {
public:
    // The callback's answer; -1 skips the comparison, so that no verification
    // can fail and stick to the rest of the test process.
    static int passFlag;
    static std::vector<SeenTest> seen;

protected:
    ScriptFixture();
    ~ScriptFixture() override;

    // Writes the script (with a resultfile statement for out.txt in front when
    // asked) and runs it; the callback records each test and answers passFlag.
    int run(const std::string& script, const std::string& filter = "");
    int runWithOutput(const std::string& script, const std::string& filter = "");
    // Runs without a callback, the way a provider parses.
    int runWithoutCallback(const std::string& script);

    std::string write(const std::string& name, const std::string& text) const;
    std::string resultfile() const;
    std::string output() const;
    std::string errorText() const;

    zortest::TempDir dir;
};

}  // namespace scripttest
