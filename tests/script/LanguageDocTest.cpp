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

struct Example {
    int line = 0;
    std::string script;
    std::string filter;
    std::optional<std::string> report;
    std::optional<std::string> error;
};

struct Fence {
    int line = 0;
    std::string info;
    std::string body;
};

std::vector<Fence> fencesOf(const std::string& markdown) {
    std::vector<Fence> fences;
    std::istringstream in(markdown);
    std::string text;
    bool open = false;
    for (int line = 1; std::getline(in, text); ++line) {
        if (text.rfind("```", 0) == 0) {
            if (!open) fences.push_back(Fence{line, text.substr(3), ""});
            open = !open;
        } else if (open) {
            fences.back().body += text + "\n";
        }
    }
    return fences;
}

std::vector<Example> examplesOf(const std::vector<Fence>& fences) {
    const std::string filterKey = "zor filter=";
    std::vector<Example> examples;
    for (std::size_t i = 0; i < fences.size(); ++i) {
        const Fence& fence = fences[i];
        if (fence.info != "zor" && fence.info.rfind(filterKey, 0) != 0) continue;
        Example example{fence.line, fence.body, "", std::nullopt, std::nullopt};
        if (fence.info != "zor") example.filter = fence.info.substr(filterKey.size());
        if (i + 1 < fences.size() && fences[i + 1].info == "report") {
            example.report = fences[++i].body;
        }
        if (i + 1 < fences.size() && fences[i + 1].info == "error")
            example.error = fences[++i].body;
        examples.push_back(example);
    }
    return examples;
}

// The bytes of an output file shown in a report block: report lines end with
// CR LF, a copied line comment keeps the script's own line end, and the run
// closes the file with one line feed after its error text, if any.
std::string outputFileOf(const Example& example) {
    std::string bytes;
    std::istringstream in(*example.report);
    for (std::string line; std::getline(in, line);) {
        bytes += line + (line.rfind("  //", 0) == 0 ? "\n" : "\r\n");
    }
    if (example.error) bytes += *example.error;
    return bytes + "\n";
}

// The test functions the examples call: ZorRun's echo test, and the adder of
// the host example in the README, which writes its one result beside the line
// markers.
int runExampleTest() {
    DataMap& in = Parse::getInStore()[0];
    const std::string name = in.getName();
    if (name == "zortst") {
        Parse::getOutStore() = in;
    } else if (name == "add") {
        Parse::getOutStore()["sum"] = static_cast<int>(in["a"]) + static_cast<int>(in["b"]);
    } else {
        ADD_FAILURE() << "an example calls the unknown test function " << name;
        return -1;
    }
    return 1;
}

void checkExample(const Example& example) {
    zortest::TempDir dir;
    // Output files land in the current folder, which is what the reference says.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    zortest::writeFile("script.txt", example.script);
    Parse::parseLoop("script.txt", example.filter.c_str(), runExampleTest);
    const std::filesystem::path outFile = dir.path() / Parse::getLastOutFile();
    std::filesystem::current_path(previous);

    EXPECT_EQ(Parse::getErrString(), example.error.value_or(""));
    if (!example.report) return;
    ASSERT_TRUE(std::filesystem::is_regular_file(outFile)) << "no output file " << outFile;
    EXPECT_EQ(zortest::readFile(outFile.string()), outputFileOf(example));
}

TEST(LanguageDocTest, EveryExampleWritesWhatTheReferenceShows) {
    const std::vector<Example> examples = examplesOf(fencesOf(zortest::readFile(ZOR_LANGUAGE_DOC)));
    EXPECT_GE(examples.size(), 10u) << "the examples of " << ZOR_LANGUAGE_DOC << " were not found";
    for (const Example& example : examples) {
        SCOPED_TRACE(std::string(ZOR_LANGUAGE_DOC) + ":" + std::to_string(example.line));
        checkExample(example);
    }
}

}  // namespace
