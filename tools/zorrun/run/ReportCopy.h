// A failed test's report block for the JUnit report: made again from the
// records the comparison has just used, with the same pass flag, so it is the
// block that went into the output file. Passing tests cost nothing.
#pragma once

#include <string>

#include "ZorLib.h"

namespace zorrun {

class ReportCopy {
public:
    // The blocks go to a file of ZorRun's own in the temporary folder, which
    // has no name once it is open. It only grows: emptying it before each block would make
    // the file system flush it at every close.
    ReportCopy();
    ~ReportCopy();
    ReportCopy(const ReportCopy&) = delete;
    ReportCopy& operator=(const ReportCopy&) = delete;

    // The block of the test just compared, at most limit bytes of it.
    std::string make(int pass, std::size_t limit);

private:
    std::string path;
    int reader = -1;
    long end = 0;  // where the next block starts
    AdaptIO writer;
};

}  // namespace zorrun
