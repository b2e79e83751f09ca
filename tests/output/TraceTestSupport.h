// Helpers shared by the trace tests: thread numbers in block headers, and a
// fixture that points the trace at a fresh output file.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"

namespace tracetest {

// The header lines of the blocks ("name(digits)" at the start of a line after
// a block's end) with their thread numbers replaced by 1234.
std::string withThreadNumber1234(const std::string& blocks);

// The thread numbers of the block headers, in order of appearance.
std::vector<unsigned int> headerThreads(const std::string& blocks);

// Every test starts with tracing fully on, an empty root and an empty output
// file of its own, and must leave no trace record alive.
class TraceFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string written() const;

    zortest::TempDir dir;
    std::string outFile;
};

}  // namespace tracetest
