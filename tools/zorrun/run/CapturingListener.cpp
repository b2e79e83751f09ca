#include "CapturingListener.h"

namespace zorrun {

void CapturingListener::testStarts(const char* name, int position) {
    channel.outsideOutput(capture.take());
    channel.testStarts(name, position);
}

void CapturingListener::verdict(const Verdict& verdict) {
    const std::string output = capture.take();
    Verdict withOutput = verdict;
    withOutput.output = output;
    channel.verdict(withOutput);
}

void CapturingListener::parseEnded(const ParseEnd& end) {
    channel.outsideOutput(capture.take());
    channel.parseEnded(end);
}

}  // namespace zorrun
