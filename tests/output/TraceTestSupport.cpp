#include "TraceTestSupport.h"

#include <cctype>

#include "output/ParseOut.h"
#include "output/TraceLinks.h"
#include "run/Parse.h"

namespace tracetest {

namespace {

// The span of the digits in "(digits)\n" that ends a header line starting at
// start, or npos.
size_t threadDigits(const std::string& blocks, size_t start, size_t& length) {
    size_t end = blocks.find('\n', start);
    if (end == std::string::npos || end < start + 3 || blocks[end - 1] != ')') {
        return std::string::npos;
    }
    size_t open = blocks.rfind('(', end);
    if (open == std::string::npos || open < start || open + 2 >= end) return std::string::npos;
    for (size_t i = open + 1; i < end - 1; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(blocks[i]))) return std::string::npos;
    }
    length = end - 1 - (open + 1);
    return open + 1;
}

// Header lines begin the text and follow each empty line that ends a block.
template <typename Visit>
void eachHeader(const std::string& blocks, Visit visit) {
    for (size_t start = 0; start < blocks.size();) {
        size_t length = 0;
        size_t digits = threadDigits(blocks, start, length);
        if (digits != std::string::npos) visit(digits, length);
        size_t blockEnd = blocks.find("}\n\n", start);
        if (blockEnd == std::string::npos) break;
        start = blockEnd + 3;
    }
}

}  // namespace

std::string withThreadNumber1234(const std::string& blocks) {
    std::string result = blocks;
    std::vector<std::pair<size_t, size_t>> spans;
    eachHeader(blocks, [&](size_t at, size_t length) { spans.emplace_back(at, length); });
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        result.replace(span->first, span->second, "1234");
    }
    return result;
}

std::vector<unsigned int> headerThreads(const std::string& blocks) {
    std::vector<unsigned int> threads;
    eachHeader(blocks, [&](size_t at, size_t length) {
        threads.push_back(static_cast<unsigned int>(std::stoul(blocks.substr(at, length))));
    });
    return threads;
}

void TraceFixture::SetUp() {
    outFile = dir.file("out.txt");
    Parse::setLastOutFile(outFile.c_str());
    ParseOut::setTraceRoot("");
    ParseOut::setTraceDepth(ParseOut::depthUnlimited);
}

void TraceFixture::TearDown() {
    ParseOut::setTraceDepth(0);
    ParseOut::setTraceRoot("");
    Parse::setLastOutFile("");
    EXPECT_EQ(zor::liveTraceRecords(), 0) << "trace records left alive";
}

std::string TraceFixture::written() const {
    return zortest::readFile(outFile);
}

}  // namespace tracetest
