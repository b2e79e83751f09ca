// The trace: blocks of records built by hand, and what scopes leave in the output
// file under each depth and root, on one thread and on many.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Golden.h"
#include "output/ParseOut.h"
#include "output/TraceLinks.h"
#include "output/TraceTable.h"
#include "run/AdaptIO.h"
#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace {

// A whole block: the header with the thread's number, then the body in braces.
std::string block(const std::string& name, unsigned int thread, const std::string& body) {
    return name + "(" + std::to_string(thread) + ")\n{\n" + body + "}\n\n";
}

// Every test starts with tracing fully on, an empty root and an output file of
// its own; no trace record may outlive it.
class TraceScopeTest : public ::testing::Test {
protected:
    void SetUp() override {
        Parse::setLastOutFile(outFile.c_str());
        ParseOut::setTraceRoot("");
        ParseOut::setTraceDepth(ParseOut::depthUnlimited);
    }
    void TearDown() override {
        ParseOut::setTraceDepth(0);
        Parse::setLastOutFile("");
        EXPECT_EQ(zor::liveTraceRecords(), 0) << "trace records left alive";
    }
    std::string written() const { return zortest::readFile(outFile); }
    std::string blockOf(DataMap* record, unsigned int thread) {
        AdaptIO out;
        EXPECT_EQ(out.openOut(outFile.c_str()), 1);
        ParseOut::smartOut(out, record, thread, 0);
        out.closeOut();
        return written();
    }

    zortest::TempDir dir;
    const std::string outFile = dir.file("out.txt");
};

// A record in the table of trace records, linked to its parent, if any, as the
// parent's first child.
DataMap* traceRecord(const char* name, DataMap* parent, int parentLink, int& link) {
    auto* record = new DataMap;
    record->setName(name);
    link = zor::addTraceRecord(record, parentLink, 1234);
    if (parent) (*parent)["//>"][0] = link;
    return record;
}

using TraceWriterTest = TraceScopeTest;

TEST_F(TraceWriterTest, ExampleBlockMatchesApprovedText) {
    int openLink = 0, readLink = 0;
    DataMap* open = traceRecord("Open", nullptr, 0, openLink);
    (*open)["count"] = 3;
    (*open)["file"] = "a.txt";
    (*traceRecord("Read", open, openLink, readLink))["size"] = 12.0;
    (*open)["0x10"] = 255;
    EXPECT_TRUE(zortest::matchesGolden("trace_block.txt", blockOf(open, 1234)));
    ParseOut::smartDelete(open);
}

// A link value is followed only to a live child of the record that holds it:
// unknown values and links into another tree are neither written nor deleted.
TEST_F(TraceWriterTest, LinksThatReachNoChildOfTheirRecordAreSkipped) {
    int otherLink = 0, foreignLink = 0;
    DataMap* other = traceRecord("other", nullptr, 0, otherLink);
    traceRecord("foreign", other, otherLink, foreignLink);
    DataMap* host = new DataMap;
    host->setName("host");
    (*host)["//>"][0] = 987654;
    (*host)["//>"][1] = foreignLink;
    (*host)["n"] = 1;
    blockOf(host, 3);
    ParseOut::smartDelete(host);
    EXPECT_EQ(blockOf(other, 3),
              "host(3)\n{\n    int    n = 1\n}\n\nother(3)\n{\n    foreign()\n    {\n    }\n}\n\n");
    ParseOut::smartDelete(other);
}

// main calls load and then run, and run calls step.
void program() {
    ParseOut main("main");
    { ParseOut load("load"); }
    ParseOut run("run");
    ParseOut step("step");
}

TEST_F(TraceScopeTest, DepthAndRootChooseTheTracedScopes) {
    const std::string me = std::to_string(zor::currentThreadNumber());
    const std::string empty = "    {\n    }\n";
    const struct {
        int depth;
        const char* root;
        std::string text;  // with the thread number 1234, or the approved file
    } cases[] = {
        {0, "", ""},
        {1, "", block("main", 1234, "")},
        {2, "", block("main", 1234, "    load()\n" + empty + "    run()\n" + empty)},
        {100, "run", block("run", 1234, "    step()\n" + empty)},
        {1, "run", block("run", 1234, "")},
        {100, "nothing", ""},
        {250, "main", "trace_scopes.txt"},  // 250 counts as 100: no limit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("depth " + std::to_string(c.depth) + ", root " + c.root);
        std::filesystem::remove(outFile);
        ParseOut::setTraceDepth(c.depth);
        ParseOut::setTraceRoot(c.root);
        program();
        std::string text = written();
        if (!text.empty()) text.replace(text.find('(') + 1, me.size(), "1234");
        EXPECT_TRUE(c.text.ends_with(".txt") ? zortest::matchesGolden(c.text, text)
                                             : ::testing::AssertionResult(text == c.text) << text);
    }
    ParseOut::setTraceDepth(-3);
    EXPECT_EQ(ParseOut::getTraceDepth(), 0);
    ParseOut::setTraceRoot(std::string(600, 'r').c_str());
    ParseOut::setTraceRoot(nullptr);
    EXPECT_EQ(ParseOut::getTraceRoot(), std::string(499, 'r'));
}

// A scope closed after its enclosing scope's tree went has nothing left to do; a
// block whose file cannot be opened is lost, and its tree goes all the same.
TEST_F(TraceScopeTest, ScopesOutlivingTheirTreeOrFileAreHarmless) {
    auto outer = std::make_unique<ParseOut>("outer");
    auto inner = std::make_unique<ParseOut>("inner");
    outer.reset();
    inner.reset();
    EXPECT_EQ(written(), block("outer", zor::currentThreadNumber(), "    inner()\n    {\n    }\n"));
    Parse::setLastOutFile(dir.file("no-such-folder/out.txt").c_str());
    ParseOut lost("lost");
    ParseOut child("child");
}

// Kernel thread ids are reused: a thread that ends with a scope still open
// must not leave its tree for a later thread of the same id to grow.
TEST_F(TraceScopeTest, ThreadEndingInsideAScopeFinishesItsTrace) {
    ParseOut* leftOpen = nullptr;
    std::string expected;
    std::jthread([&] {
        expected = block("leftOpen", zor::currentThreadNumber(), "    inner()\n    {\n    }\n");
        leftOpen = new ParseOut("leftOpen");
        ParseOut inner("inner");
    }).join();
    EXPECT_EQ(zor::liveTraceRecords(), 0);
    delete leftOpen;
    EXPECT_EQ(written(), expected);
}

// The script thread may name a new output file while another thread closes a
// traced scope: each block goes whole to one of the two files, never elsewhere.
TEST_F(TraceScopeTest, OutputFileNamedAnewWhileAnotherThreadTraces) {
    const std::string other = dir.file("other.txt");
    std::atomic<bool> done{false};
    std::string expected, all;
    std::jthread worker([&] {
        expected = block("work", zor::currentThreadNumber(), "");
        for (int i = 0; i < 300; ++i) ParseOut scope("work");
        done = true;
    });
    for (int turn = 0; !done; ++turn)
        Parse::setLastOutFile(turn % 2 ? other.c_str() : outFile.c_str());
    worker.join();
    for (int i = 0; i < 300; ++i) all += expected;
    EXPECT_EQ(written() + zortest::readFile(other), all);
    EXPECT_EQ(written().size() % expected.size(), 0u);  // split between whole blocks
}

TEST_F(TraceScopeTest, BrokenTestBlockNamesTheVerificationRecord) {
    Parse::getVerStore()->setName("Step1");
    ParseOut::brkTraceExec("timeout");
    EXPECT_TRUE(zortest::matchesGolden("broken_test.txt", written()));
    ParseOut::brkTraceExec(nullptr);  // no reason: empty parentheses
    EXPECT_EQ(written().substr(44), "Step1\r\n{\r\n    TEST = \"BROKEN ()\"\r\n}\r\n");
}

// Threads trace side by side: every block comes out whole, under its own
// thread's number, with exactly the scopes that thread entered; each block has
// more children than a fixed link array of old had room for.
TEST_F(TraceScopeTest, ThreadsTraceSideBySide) {
    constexpr int workers = 4, blocks = 3, children = 100;
    std::string expected[workers];
    std::vector<std::jthread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
            std::string body;
            for (int i = 0; i < children; ++i) body += "    inner()\n    {\n    }\n";
            expected[w] = block("worker", zor::currentThreadNumber(), body);
            for (int b = 0; b < blocks; ++b) {
                ParseOut outer("worker");
                for (int i = 0; i < children; ++i) ParseOut inner("inner");
            }
        });
    threads.clear();
    const std::string text = written();
    size_t total = 0;
    for (const std::string& one : expected) {
        int found = 0;
        for (size_t at = text.find(one); at != std::string::npos; at = text.find(one, at + 1))
            ++found;
        EXPECT_EQ(found, blocks);
        total += blocks * one.size();
    }
    EXPECT_EQ(text.size(), total);
}

}  // namespace
