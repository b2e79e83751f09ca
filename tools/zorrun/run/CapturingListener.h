// In a worker: hands each verdict on with what its test printed, and what
// was printed before a test started or after the last one on as the
// script's, so that each piece of output lands where it was printed.
#pragma once

#include "LibraryRun.h"
#include "OutputCapture.h"
#include "VerdictChannel.h"

namespace zorrun {

class CapturingListener : public VerdictListener, public TestWatch {
public:
    CapturingListener(VerdictChannel& to, OutputCapture& from) : channel(to), capture(from) {}

    void testStarts(const char* name, int position) override;
    void testEnded() override { channel.testEnded(); }
    void verdict(const Verdict& verdict) override;
    void parseEnded(const ParseEnd& end) override;

private:
    VerdictChannel& channel;
    OutputCapture& capture;
};

}  // namespace zorrun
