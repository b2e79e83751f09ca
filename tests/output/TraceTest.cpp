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
        {2, "", block("main", 1234, "    load()\n" + empty + "    run()\n" + empty)},
        {100, "run", block("run", 1234, "    step()\n" + empty)},
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

TEST_F(TraceScopeTest, BrokenTestBlockNamesTheVerificationRecord) {
    Parse::getVerStore()->setName("Step1");
    ParseOut::brkTraceExec("timeout");
    EXPECT_TRUE(zortest::matchesGolden("broken_test.txt", written()));
}

int occurrences(const std::string& file, const std::string& text) {
    const std::string all = zortest::readFile(file);
    int found = 0;
    for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++found;
    return found;
}

// Threads trace side by side while the script thread names a new output file
// now and then: every block goes whole to one of the two files, under its own
// thread's number, with exactly the scopes that thread entered; a block has more
// children than a fixed link array of old had room for. Kernel thread ids are
// reused: a thread that ends inside a scope must finish its trace then.
TEST_F(TraceScopeTest, ThreadsTraceSideBySideWhileTheFileChanges) {
    constexpr int workers = 4, blocks = 3, children = 100;
    const std::string other = dir.file("other.txt"), child = "    inner()\n    {\n    }\n";
    std::string expected[workers], left[workers];
    ParseOut* leftOpen[workers] = {};
    std::atomic<int> running{workers};
    std::vector<std::jthread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
            std::string body;
            for (int i = 0; i < children; ++i) body += child;
            expected[w] = block("worker", zor::currentThreadNumber(), body);
            left[w] = block("left", zor::currentThreadNumber(), child);
            for (int b = 0; b < blocks; ++b) {
                ParseOut outer("worker");
                for (int i = 0; i < children; ++i) ParseOut inner("inner");
            }
            leftOpen[w] = new ParseOut("left");
            ParseOut inner("inner");
            --running;
        });
    for (int turn = 0; running > 0; ++turn)
        Parse::setLastOutFile(turn % 2 ? other.c_str() : outFile.c_str());
    threads.clear();
    EXPECT_EQ(zor::liveTraceRecords(), 0);
    for (ParseOut* scope : leftOpen) delete scope;
    size_t total = 0;
    for (int w = 0; w < workers; ++w) {
        EXPECT_EQ(occurrences(outFile, expected[w]) + occurrences(other, expected[w]), blocks);
        EXPECT_EQ(occurrences(outFile, left[w]) + occurrences(other, left[w]), 1);
        total += blocks * expected[w].size() + left[w].size();
    }
    EXPECT_EQ(written().size() + zortest::readFile(other).size(), total);
}

}  // namespace
