// Shared pieces of the run driver's end-to-end tests: script files in a fresh
// folder, a host callback that runs registered test functions the way the
// viewer does, and runs in a child process for tests whose failed verification
// would stick to the rest of the test process.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "TempDir.h"
#include "run/Parse.h"
#include "run/ZorCall.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace runtest {

// The viewer's callback: the test's name selects the registered function.
inline int runRegistered() {
    ZorCall::TestFunction function = ZorCall::getFunc(Parse::getInStore()[0].getName());
    if (!function) {
        Parse::getOutStore()["result"] = "unknown testfunction";
        return 1;
    }
    function();
    return 1;
}

// Runs the body in a child process and answers its result (-128 to 127).
inline int inChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) _exit((body() + 128) & 0xff);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) - 128 : 1000;
}

// Character position of the text's first occurrence as the scanner counts it:
// each line break before it counts once, less one per earlier line.
inline int positionOf(const std::string& script, const std::string& text) {
    const std::size_t offset = script.find(text);
    int line = 1;
    for (std::size_t i = 0; i < offset; ++i) line += script[i] == '\n';
    return Parse::adjustLine(static_cast<int>(offset), line);
}

class RunFixture : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& text) const {
        const std::string path = dir.file(name);
        zortest::writeFile(path, text);
        return path;
    }
    std::string output() const { return zortest::readFile(dir.file("out.txt")); }
    // The script's resultfile statement for out.txt in this folder.
    std::string resultfile() const { return "resultfile \"" + dir.file("out.txt") + "\"\n"; }
    // The provider way expects no callback: a run of an empty script clears it.
    void forgetCallback() const {
        const std::string empty = write("empty.txt", "");
        Parse::parseLoop(empty.c_str(), "", nullptr);
    }

    zortest::TempDir dir;
};

}  // namespace runtest
