// Many threads open and close thousands of nested scopes while a script runs
// beside them; every block must come out whole, under its own thread's number,
// with exactly the scopes that thread entered.
#include <gtest/gtest.h>

#include <algorithm>
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

// Stands in for the script: builds and drops records of its own, with names
// and texts long enough to need string-heap blocks, as a parse would.
void runScript(int records) {
    for (int i = 0; i < records; ++i) {
        DataMap record;
        record.setName("scriptRecord");
        for (int j = 0; j < 20; ++j) {
            std::string path = "list[" + std::to_string(j) + "].a.rather.long.member.name.here";
            record[path.c_str()] = j;
            record["text"][j] = "a string value long enough to leave the inline buffer";
        }
        DataMap copy;
        copy = record;
    }
}

using TraceStressTest = TraceFixture;

TEST_F(TraceStressTest, ThreadsTraceSideBySideWhileAScriptRuns) {
    std::latch built(workerCount + 1), scriptDone(1);
    std::vector<unsigned int> numbers(workerCount);
    std::vector<std::thread> workers;
    for (int w = 0; w < workerCount; ++w) {
        workers.emplace_back([&, w] {
            numbers[w] = zor::currentThreadNumber();
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
    std::thread script(runScript, 300);
    script.join();
    built.arrive_and_wait();
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
}

}  // namespace
