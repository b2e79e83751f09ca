// What a worker sends through its pipe, taken frame by frame as it arrives
// (WorkerMessage.h): the verdicts of a run that asked for them, the test
// that started last, and the result. Whatever a frame holds is checked
// before it is kept; a frame that is not sound ends the reading.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "WorkerMessage.h"
#include "protocol/RemoteVerdicts.h"

namespace zorserver {

class WorkerStream {
public:
    using Clock = std::chrono::steady_clock;
    enum class State { reading, done, damaged };

    State feed(std::string_view bytes);
    State state() const { return current; }
    // The result message, once the state is done.
    const std::string& result() const { return resultMessage; }

    std::vector<remote::RemoteVerdict>& judged() { return verdicts; }
    // The test that started last and has no verdict yet, and since when.
    const std::optional<remote::RemoteVerdict>& running() const { return runningTest; }
    Clock::time_point runningSince() const { return runningStart; }
    const std::optional<remote::RemoteRunEnd>& runEnd() const { return end; }
    // Verdicts passed over beyond remote::maxVerdictsBytes.
    int dropped() const { return droppedCount; }

private:
    bool take(FrameKind kind, std::string_view body);
    bool keep(std::string_view body);

    State current = State::reading;
    std::string pending;
    std::string resultMessage;
    std::vector<remote::RemoteVerdict> verdicts;
    std::size_t verdictBytes = 0;
    int droppedCount = 0;
    std::optional<remote::RemoteVerdict> runningTest;
    Clock::time_point runningStart;
    std::optional<remote::RemoteRunEnd> end;
};

}  // namespace zorserver
