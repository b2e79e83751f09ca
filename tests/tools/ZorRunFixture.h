// ZorRun run as a user runs it: the real binary in a child process, in a fresh
// folder holding the scripts, with relative names as a shell would give them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TempDir.h"

namespace zorruntest {

// The library's position of the first occurrence of text in an LF script:
// its byte offset less one per line break before it.
inline int positionOf(const std::string& script, const std::string& text) {
    const std::size_t offset = script.find(text);
    int breaks = 0;
    for (std::size_t i = 0; i < offset; ++i) breaks += script[i] == '\n';
    return static_cast<int>(offset) - breaks;
}

class ZorRunFixture : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& text) const {
        zortest::writeFile(dir.file(name), text);
        return name;
    }
    zortest::ChildResult zorRun(const std::vector<std::string>& args) const {
        std::vector<std::string> argv{ZORRUN_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return zortest::runChild(argv, dir.path().string());
    }
    std::string read(const std::string& name) const { return zortest::readFile(dir.file(name)); }

    zortest::TempDir dir;
};

}  // namespace zorruntest
