// Many threads open and close thousands of nested scopes while a script runs
// beside them and traces its own test function; every block must come out
// whole, under its own thread's number, with exactly the scopes that thread
// entered.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "TraceTestSupport.h"
#include "output/ParseOut.h"
#include "output/TraceTable.h"
#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

using tracetest::headerThreads;
using tracetest::TraceFixture;

namespace {

constexpr int workerCount = 4;
constexpr int treeLevels = 7;  // a binary tree of scopes: 127 per call
constexpr int treesPerTrace = 12;
constexpr int smallTraces = 40;  // whole traces written while other threads trace too

const char* const levelNames[treeLevels] = {"l0", "l1", "l2", "l3", "l4", "l5", "l6"};

void scopeTree(int level) {
    ParseOut scope(levelNames[level]);
    if (level + 1 == treeLevels) return;
    scopeTree(level + 1);
    scopeTree(level + 1);
}

// The text that scopeTree(level) leaves in a block written at the given indentation.
void expectTree(std::string& text, int level, int indent) {
    std::string pad(indent * 4, ' ');
    text += pad + levelNames[level] + "()\n" + pad + "{\n";
    if (level + 1 < treeLevels) {
        expectTree(text, level + 1, indent + 1);
        expectTree(text, level + 1, indent + 1);
    }
    text += pad + "}\n";
}

std::string expectedBlock(const char* name, unsigned int thread, int trees) {
    std::string text = std::string(name) + "(" + std::to_string(thread) + ")\n{\n";
    for (int i = 0; i < trees; ++i) expectTree(text, 0, 1);
    return text + "}\n\n";
}

constexpr int scriptTests = 150;

// The script and the workers overlap for certain: the workers start building
// their trees once the script runs its first test, and the script waits in its
// middle test until every worker has built.
std::latch* scriptStarted = nullptr;
std::latch* treesBuilt = nullptr;
std::atomic<int> testsRun{0};

// The script thread's test function traces itself too, as native code would;
// its blocks go to the script's own output file, between the reports.
int echoTest() {
    int test = testsRun++;
    if (test == 0) scriptStarted->count_down();
    if (test == scriptTests / 2) treesBuilt->wait();
    ParseOut scope("echo");
    ParseOut copy("copy");
    Parse::getOutStore() = Parse::getInStore()[0];
    return 1;
}

// Tests with nested records, lists and long strings, so that the script
// builds and drops elements and string-heap blocks all the time.
std::string stressScript(const std::string& outFile) {
    std::string script = "resultfile \"" + outFile + "\"\n";
    for (int i = 0; i < scriptTests; ++i) {
        script +=
            "echo { a = 1 b = 2.5 text = \"a string value long enough to leave the inline "
            "buffer of an element\"\n"
            "  pos { x = " +
            std::to_string(i) +
            " y = 2 } ids[] { 4 5 6 7 8 9 }\n"
            "  verify: a == 1 text == \"a string value long enough to leave the inline "
            "buffer of an element\" }\n";
    }
    return script;
}

using TraceStressTest = TraceFixture;

TEST_F(TraceStressTest, ThreadsTraceSideBySideWhileAScriptRuns) {
    std::latch started(1), built(workerCount), scriptDone(1);
    scriptStarted = &started;
    treesBuilt = &built;
    testsRun = 0;
    std::vector<unsigned int> numbers(workerCount);
    std::vector<std::thread> workers;
    for (int w = 0; w < workerCount; ++w) {
        workers.emplace_back([&, w] {
            numbers[w] = zor::currentThreadNumber();
            started.wait();
            {
                ParseOut outer("worker");
                for (int i = 0; i < treesPerTrace; ++i) scopeTree(0);
                built.count_down();
                // The outermost scope closes, and reads the run's output file
                // name, only once the script that sets that name has ended.
                scriptDone.wait();
            }
            for (int i = 0; i < smallTraces; ++i) {
                ParseOut outer("small");
                scopeTree(treeLevels - 2);
            }
        });
    }
    std::string scriptFile = dir.file("script.txt"), scriptOut = dir.file("script-out.txt");
    zortest::writeFile(scriptFile, stressScript(scriptOut));
    int scriptResult = -100;
    unsigned int scriptThread = 0;
    std::thread script([&] {
        scriptThread = zor::currentThreadNumber();
        scriptResult = Parse::parseLoop(scriptFile.c_str(), "", echoTest);
    });
    script.join();
    if (testsRun == 0) started.count_down();  // a script that ran no test must not hang us
    Parse::setLastOutFile(outFile.c_str());
    scriptDone.count_down();
    for (auto& worker : workers) worker.join();

    std::string text = written();
    std::vector<unsigned int> threads = headerThreads(text);
    ASSERT_EQ(threads.size(), static_cast<size_t>(workerCount * (1 + smallTraces)));
    size_t at = 0;
    for (unsigned int thread : threads) {
        ASSERT_NE(std::find(numbers.begin(), numbers.end(), thread), numbers.end());
        bool small = text.compare(at, 5, "small") == 0;
        std::string block = small ? expectedBlock("small", thread, 0)
                                  : expectedBlock("worker", thread, treesPerTrace);
        if (small) {
            std::string tree;
            expectTree(tree, treeLevels - 2, 1);
            block.insert(block.size() - 3, tree);
        }
        ASSERT_EQ(text.compare(at, block.size(), block), 0) << "block at byte " << at;
        at += block.size();
    }
    EXPECT_EQ(at, text.size());

    EXPECT_EQ(scriptResult, 0);
    std::string reports = zortest::readFile(scriptOut);
    std::string echoBlock =
        "echo(" + std::to_string(scriptThread) + ")\n{\n    copy()\n    {\n    }\n}\n\n";
    size_t echoes = 0;
    for (size_t found = reports.find(echoBlock); found != std::string::npos;
         found = reports.find(echoBlock, found + 1)) {
        ++echoes;
    }
    EXPECT_EQ(echoes, static_cast<size_t>(scriptTests));
    EXPECT_EQ(reports.find("[ERROR]"), std::string::npos);
    EXPECT_EQ(reports.find("worker("), std::string::npos);
    EXPECT_EQ(reports.find("small("), std::string::npos);
}

}  // namespace
