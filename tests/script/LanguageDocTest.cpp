// Runs every script example of the language reference and compares what it
// wrote with the report or error block that follows it, so that the reference
// cannot drift from the library.
//
// In the markdown an example is a fenced block with the info string "zor",
// optionally followed by "filter=NAME POSITION". The next fenced block, if its
// info string is "report", is the output file the run leaves (report lines
// shown with plain line ends); a block "error" after it, or instead of it, is
// the error text. An example with no error block must run without one.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

#ifndef ZOR_LANGUAGE_DOC
#error "ZOR_LANGUAGE_DOC must name docs/language.md"
#endif

namespace {

struct Fence {
    int line = 0;
    std::string info, body;
};

std::vector<Fence> fencesOf(const std::string& markdown) {
    std::vector<Fence> fences;
    std::istringstream in(markdown);
    bool open = false;
    for (auto [line, text] = std::pair{1, std::string()}; std::getline(in, text); ++line) {
        if (text.rfind("```", 0) == 0) {
            if (!open) fences.push_back(Fence{line, text.substr(3), ""});
            open = !open;
        } else if (open) {
            fences.back().body += text + "\n";
        }
    }
    return fences;
}

// The test functions the examples call: ZorRun's echo test, and the adder of
// the host example in the README, which writes its one result beside the line
// markers.
int runExampleTest() {
    DataMap& in = Parse::getInStore()[0];
    const std::string name = in.getName();
    if (name == "zortst")
        Parse::getOutStore() = in;
    else if (name == "add")
        Parse::getOutStore()["sum"] = static_cast<int>(in["a"]) + static_cast<int>(in["b"]);
    else
        ADD_FAILURE() << "an example calls the unknown test function " << name;
    return name == "zortst" || name == "add" ? 1 : -1;
}

// The bytes of an output file shown in a report block: report lines end with
// CR LF, a copied line comment keeps the script's own line end, and the run
// closes the file with one line feed after its error text, if any.
void checkExample(const std::string& script, const std::string& filter,
                  const std::optional<std::string>& report,
                  const std::optional<std::string>& error) {
    zortest::TempDir dir;
    // Output files land in the current folder, which is what the reference says.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    zortest::writeFile("script.txt", script);
    Parse::parseLoop("script.txt", filter.c_str(), runExampleTest);
    const std::filesystem::path outFile = dir.path() / Parse::getLastOutFile();
    std::filesystem::current_path(previous);

    EXPECT_EQ(Parse::getErrString(), error.value_or(""));
    if (!report) return;
    std::string bytes;
    std::istringstream in(*report);
    for (std::string line; std::getline(in, line);)
        bytes += line + (line.rfind("  //", 0) == 0 ? "\n" : "\r\n");
    ASSERT_TRUE(std::filesystem::is_regular_file(outFile)) << "no output file " << outFile;
    EXPECT_EQ(zortest::readFile(outFile.string()), bytes + error.value_or("") + "\n");
}

TEST(LanguageDocTest, EveryExampleWritesWhatTheReferenceShows) {
    const std::vector<Fence> fences = fencesOf(zortest::readFile(ZOR_LANGUAGE_DOC));
    const std::string filterKey = "zor filter=";
    int examples = 0;
    for (std::size_t i = 0; i < fences.size(); ++i) {
        const Fence& fence = fences[i];
        if (fence.info != "zor" && fence.info.rfind(filterKey, 0) != 0) continue;
        std::optional<std::string> report, error;
        if (i + 1 < fences.size() && fences[i + 1].info == "report") report = fences[++i].body;
        if (i + 1 < fences.size() && fences[i + 1].info == "error") error = fences[++i].body;
        SCOPED_TRACE(std::string(ZOR_LANGUAGE_DOC) + ":" + std::to_string(fence.line));
        checkExample(fence.body, fence.info == "zor" ? "" : fence.info.substr(filterKey.size()),
                     report, error);
        ++examples;
    }
    EXPECT_GE(examples, 10) << "the examples of " << ZOR_LANGUAGE_DOC << " were not found";
}

}  // namespace
