// Trace scopes as native code meets them: what a run's output file receives
// for each depth limit and trace root, on one thread and on several.
#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <barrier>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "Golden.h"
#include "TraceTestSupport.h"
#include "output/ParseOut.h"
#include "output/TraceLinks.h"
#include "run/Parse.h"
#include "store/DataMap.h"

using tracetest::headerThreads;
using tracetest::TraceFixture;
using tracetest::withThreadNumber1234;
using zortest::matchesGolden;

namespace {

using TraceScopeTest = TraceFixture;

unsigned int kernelThread() {
    return static_cast<unsigned int>(syscall(SYS_gettid));
}

void nest(int levels) {
    ParseOut scope("level");
    if (levels > 1) nest(levels - 1);
}

TEST_F(TraceScopeTest, ExampleTraceMatchesApprovedText) {
    ParseOut::setTraceRoot("main");
    {
        ParseOut main("main");
        { ParseOut load("load"); }
        {
            ParseOut run("run");
            ParseOut step("step");
        }
    }
    std::string text = written();
    EXPECT_TRUE(matchesGolden("trace_scopes.txt", withThreadNumber1234(text)));
    EXPECT_EQ(headerThreads(text), std::vector<unsigned int>{kernelThread()});
}

TEST_F(TraceScopeTest, DepthZeroTracesNothing) {
    ParseOut::setTraceDepth(0);
    {
        ParseOut outer("outer");
        ParseOut inner("inner");
    }
    EXPECT_EQ(written(), "");
}

TEST_F(TraceScopeTest, DepthOneShowsOutermostScopesOnly) {
    ParseOut::setTraceDepth(1);
    {
        ParseOut a("a");
        ParseOut inner("inner");
    }
    { ParseOut b("b"); }
    EXPECT_EQ(withThreadNumber1234(written()), "a(1234)\n{\n}\n\nb(1234)\n{\n}\n\n");
}

TEST_F(TraceScopeTest, DepthTwoDropsGrandchildren) {
    ParseOut::setTraceDepth(2);
    {
        ParseOut main("main");
        ParseOut child("child");
        ParseOut grandchild("grandchild");
        ParseOut below("below");
    }
    EXPECT_EQ(withThreadNumber1234(written()), "main(1234)\n{\n    child()\n    {\n    }\n}\n\n");
}

TEST_F(TraceScopeTest, DepthHundredHasNoLimit) {
    nest(150);
    std::string text = written();
    std::string deepest = std::string(149 * 4, ' ') + "level()\n";
    EXPECT_NE(text.find(deepest), std::string::npos);
    EXPECT_EQ(text.find(" " + deepest), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 150 * 3 + 1);
}

TEST_F(TraceScopeTest, SetTraceDepthClampsToNoneOrUnlimited) {
    ParseOut::setTraceDepth(250);
    EXPECT_EQ(ParseOut::getTraceDepth(), 100);
    ParseOut::setTraceDepth(-3);
    EXPECT_EQ(ParseOut::getTraceDepth(), 0);
    ParseOut::setTraceDepth(99);
    EXPECT_EQ(ParseOut::getTraceDepth(), 99);
}

TEST_F(TraceScopeTest, RootStartsTraceBelowUntracedScopes) {
    ParseOut::setTraceRoot("run");
    {
        ParseOut main("main");
        { ParseOut other("other"); }
        {
            ParseOut run("run");
            ParseOut step("step");
        }
        ParseOut late("late");
        ParseOut again("run");
    }
    EXPECT_EQ(withThreadNumber1234(written()),
              "run(1234)\n{\n    step()\n    {\n    }\n}\n\n"
              "run(1234)\n{\n}\n\n");
}

TEST_F(TraceScopeTest, RootKeeps499CharactersAndIgnoresNull) {
    std::string longName(600, 'r');
    ParseOut::setTraceRoot(longName.c_str());
    EXPECT_EQ(std::string(ParseOut::getTraceRoot()), longName.substr(0, 499));
    ParseOut::setTraceRoot(nullptr);
    EXPECT_EQ(std::string(ParseOut::getTraceRoot()), longName.substr(0, 499));

    { ParseOut whole(longName.c_str()); }
    EXPECT_EQ(written(), "");
    { ParseOut cut(longName.substr(0, 499).c_str()); }
    EXPECT_EQ(headerThreads(written()).size(), 1u);
}

// More children than the fixed link array of old had room for.
TEST_F(TraceScopeTest, ChildrenAppearInEntryOrder) {
    std::string expected = "parent(1234)\n{\n";
    {
        ParseOut parent("parent");
        for (int i = 0; i < 150; ++i) {
            std::string name = "c" + std::to_string(i);
            ParseOut child(name.c_str());
            expected += "    " + name + "()\n    {\n    }\n";
        }
    }
    expected += "}\n\n";
    EXPECT_EQ(withThreadNumber1234(written()), expected);
}

TEST_F(TraceScopeTest, UnopenableOutputFileLosesBlockAndFreesTree) {
    std::string missing = dir.file("no-such-folder/out.txt");
    Parse::setLastOutFile(missing.c_str());
    {
        ParseOut outer("outer");
        for (int i = 0; i < 20; ++i) ParseOut child("child");
        EXPECT_EQ(zor::liveTraceRecords(), 21);
    }
    EXPECT_EQ(zor::liveTraceRecords(), 0);
    EXPECT_FALSE(std::filesystem::exists(missing));

    Parse::setLastOutFile("");
    { ParseOut outer("outer"); }
    EXPECT_EQ(zor::liveTraceRecords(), 0);
}

// Scopes made on the heap can be closed out of nesting order; a scope whose
// record went with its enclosing scope's tree then has nothing left to do.
TEST_F(TraceScopeTest, ScopeClosedAfterItsTreeIsHarmless) {
    auto outer = std::make_unique<ParseOut>("outer");
    auto inner = std::make_unique<ParseOut>("inner");
    outer.reset();
    std::string block = "outer(1234)\n{\n    inner()\n    {\n    }\n}\n\n";
    EXPECT_EQ(withThreadNumber1234(written()), block);
    inner.reset();
    { ParseOut next("next"); }
    EXPECT_EQ(withThreadNumber1234(written()), block + "next(1234)\n{\n}\n\n");
}

// Both threads hold two nested scopes open at the same time, so a shared trace
// would mix their records into one block.
TEST_F(TraceScopeTest, EveryThreadHasItsOwnTrace) {
    std::barrier step(2);
    unsigned int numbers[2] = {};
    auto work = [&](int me) {
        numbers[me] = kernelThread();
        std::string name = me == 0 ? "first" : "second";
        ParseOut outer(name.c_str());
        step.arrive_and_wait();
        {
            ParseOut inner((name + "Inner").c_str());
            step.arrive_and_wait();
        }
        step.arrive_and_wait();
    };
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();

    std::string text = written();
    std::vector<unsigned int> threads = headerThreads(text);
    ASSERT_EQ(threads.size(), 2u);
    EXPECT_NE(threads[0], threads[1]);
    std::string first =
        "first(" + std::to_string(numbers[0]) + ")\n{\n    firstInner()\n    {\n    }\n}\n\n";
    std::string second =
        "second(" + std::to_string(numbers[1]) + ")\n{\n    secondInner()\n    {\n    }\n}\n\n";
    EXPECT_TRUE(text == first + second || text == second + first) << text;
}

// Kernel thread ids are reused: a thread that ends with a scope still open
// must not leave its tree for a later thread of the same id to grow.
TEST_F(TraceScopeTest, ThreadEndingInsideAScopeFinishesItsTrace) {
    ParseOut* leftOpen = nullptr;
    unsigned int number = 0;
    std::thread ending([&] {
        number = kernelThread();
        leftOpen = new ParseOut("leftOpen");
        ParseOut inner("inner");
    });
    ending.join();
    EXPECT_EQ(zor::liveTraceRecords(), 0);
    EXPECT_EQ(written(),
              "leftOpen(" + std::to_string(number) + ")\n{\n    inner()\n    {\n    }\n}\n\n");
    delete leftOpen;
    EXPECT_EQ(headerThreads(written()).size(), 1u);
}

// The script thread may name a new output file while another thread closes a
// traced scope: each block goes whole to one of the two files, never elsewhere.
TEST_F(TraceScopeTest, OutputFileNamedAnewWhileAnotherThreadTraces) {
    const std::string other = dir.file("other.txt");
    const int blocks = 300;
    std::atomic<bool> done{false};
    unsigned int number = 0;
    std::thread worker([&] {
        number = kernelThread();
        for (int i = 0; i < blocks; ++i) ParseOut scope("work");
        done = true;
    });
    for (int turn = 0; !done; ++turn) {
        Parse::setLastOutFile(turn % 2 ? other.c_str() : outFile.c_str());
    }
    worker.join();
    Parse::setLastOutFile(outFile.c_str());

    const std::string block = "work(" + std::to_string(number) + ")\n{\n}\n\n";
    std::string both = written() + zortest::readFile(other);
    int found = 0;
    for (size_t at = both.find(block); at != std::string::npos; at = both.find(block, at + 1)) {
        ++found;
    }
    EXPECT_EQ(found, blocks);
    EXPECT_EQ(both.size(), block.size() * blocks);
}

TEST_F(TraceScopeTest, BrokenTestBlockNamesTheVerificationRecord) {
    Parse::getVerStore()->setName("Step1");
    ParseOut::brkTraceExec("timeout");
    EXPECT_TRUE(matchesGolden("broken_test.txt", written()));

    ParseOut::brkTraceExec(nullptr);
    EXPECT_EQ(written().substr(44), "Step1\r\n{\r\n    TEST = \"BROKEN ()\"\r\n}\r\n");
}

TEST_F(TraceScopeTest, BrokenTestWithoutOutputFileWritesNothing) {
    std::string missing = dir.file("no-such-folder/out.txt");
    Parse::setLastOutFile(missing.c_str());
    ParseOut::brkTraceExec("timeout");
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
