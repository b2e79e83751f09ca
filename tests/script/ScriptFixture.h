// Runs scripts through Parse::parseLoop from real files in a fresh folder and
// records what each test record handed to the host.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "TempDir.h"
#include "run/Parse.h"

namespace scripttest {

using storetest::elementsOf;

// The position of the text's first occurrence, as the scanner counts it.
inline int positionOf(const std::string& script, const std::string& text) {
    const std::size_t offset = script.find(text);
    int line = 1;
    for (std::size_t i = 0; i < offset; ++i) line += script[i] == '\n';
    return Parse::adjustLine(static_cast<int>(offset), line);
}

class ScriptFixture : public ::testing::Test {
public:
    // Each test as the callback saw it: its name, in-data, expected data and the
    // results present, as in "login: user=\"guest\" ==status=0 //000003=\"// a\n\"".
    static inline std::vector<std::string> seen;

    static int recordTest() {
        std::string test = Parse::getInStore()[0].getName() + std::string(":");
        for (const DataMap* record :
             {&Parse::getInStore()[0], &Parse::getVerStore()[0], &Parse::getOutStore()}) {
            if (record->getData(nullptr)) test += " " + elementsOf(*record);
        }
        seen.push_back(test);
        // No comparison, so that no verification can fail and stick to the
        // rest of the test process.
        return -1;
    }

    // The report blocks of the comparison values, appended in a child run.
    static inline std::string blocksFile;
    static void keepBlock(const Comparison& comparison) {
        std::ofstream(blocksFile, std::ios::app | std::ios::binary) << comparison.block;
    }

protected:
    ScriptFixture() { seen.clear(); }

    int run(const std::string& script, const std::string& filter = "") {
        return Parse::parseLoop(write("script.txt", script).c_str(), filter.c_str(), recordTest);
    }
    // Runs the script as the first of a child process, so that a failed
    // verification does not stick to this one. Answers its code, or 99 when a
    // clean run after it does not answer -4 exactly when a verification failed.
    int runInChild(const std::string& script, int (*callback)(), const std::string& filter = "",
                   Parse::VerifyObserver observer = nullptr) {
        const std::string path = write("script.txt", script);
        const std::string clean = write("clean.txt", "resultfile \"" + dir.file("c.txt") + "\"\n");
        blocksFile = dir.file("blocks.txt");
        const pid_t child = fork();
        if (child == 0) {
            alarm(60);  // a run that never ends must not hold the machine's writers
            Parse::setVerifyObserver(observer);
            Parse::setComparisonObserver(keepBlock);
            const int code = Parse::parseLoop(path.c_str(), filter.c_str(), callback);
            const int later = Parse::parseLoop(clean.c_str(), "", nullptr);
            _exit(later == (Parse::getLastVerifyResult() ? -4 : 0) ? code + 128 : 99 + 128);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) - 128 : 1000;
    }
    std::string write(const std::string& name, const std::string& text) const {
        zortest::writeFile(dir.file(name), text);
        return dir.file(name);
    }
    std::string resultfile() const { return "resultfile \"" + dir.file("out.txt") + "\"\n"; }
    std::string output() const { return zortest::readFile(dir.file("out.txt")); }
    // The blocks the values of a child run carried, which the output file
    // must hold as they are, ahead of the run's closing line feed.
    std::string blocks() const { return zortest::readFile(dir.file("blocks.txt")); }

    zortest::TempDir dir;
};

}  // namespace scripttest
