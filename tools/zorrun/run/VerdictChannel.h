// The road from a worker process to the supervisor. The worker puts each
// verdict into a ring of messages in memory that both processes share, and
// wakes the supervisor over a pipe once per batch. The memory outlives the
// worker: whatever it published before it died still arrives, and it tells
// which test function was running. A test function runs in the worker and
// may write over the ring or fork: every message carries its sender and a
// sequence number, and the end message the worker's own count of verdicts,
// so that a lost or foreign verdict is found, never taken for a pass.
#pragma once

#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <string>

#include "LibraryRun.h"
#include "Verdict.h"

namespace zorrun {

class VerdictChannel : public VerdictListener, public TestWatch {
public:
    // Maps the shared memory, which every worker started later inherits.
    VerdictChannel();
    ~VerdictChannel();
    VerdictChannel(const VerdictChannel&) = delete;
    VerdictChannel& operator=(const VerdictChannel&) = delete;

    // Supervisor, before starting a worker: an empty ring and a new pipe;
    // false with the reason when there are none.
    bool prepare(std::string& reason);

    // Worker, right after it started.
    void becomeWorker();
    void testStarts(const char* name, int position) override;
    void testEnded() override;
    void verdict(const Verdict& verdict) override;
    void parseEnded(const ParseEnd& end) override;
    void outsideOutput(std::string_view text) override;

    // Supervisor, right after the worker started.
    void becomeSupervisor(pid_t worker);
    int wakeDescriptor() const { return wakeRead; }
    // Takes the wake-ups waiting in the pipe; false once the worker's end is
    // closed, and the pipe with it.
    bool takeWakeUps();
    // Hands every message published so far to the listener; false when a
    // message is damaged (the worker wrote over the shared memory).
    bool receive(VerdictListener& listener);
    bool hasScriptEnd() const { return scriptEnded; }
    // Messages that came from another process than the worker (the child of
    // a fork in a test function), all ignored.
    bool heardOthers() const { return foreign; }
    // What the end message said: the library's result and the verdicts the
    // worker published.
    int getEndCode() const { return endCode; }
    int getPublished() const { return published; }
    // The test that was running when the worker stopped, if any.
    bool runningTest(std::string& name, int& position) const;
    // Closes what is left of the pipe, once the worker has ended or did not start.
    void closePipe();

private:
    struct Shared;

    static void closeEnd(int& end);
    void beginMessage(char kind);
    void publish();
    void wake();
    void waitForRoom();
    void copyIn(std::uint64_t at, const char* bytes, std::size_t size);
    void copyOut(std::uint64_t at, char* bytes, std::size_t size) const;
    bool dispatch(VerdictListener& listener);
    bool dispatchEnd(std::string_view body, VerdictListener& listener);

    Shared* shared = nullptr;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::string message;  // the one being built or taken apart
    // Worker: the count of messages and verdicts published.
    std::int32_t sent = 0;
    std::int32_t verdictsSent = 0;
    // Supervisor: where it has read to, the sequence number it expects next,
    // the process it expects it from, and what it has found.
    std::uint64_t taken = 0;
    std::int32_t nextSequence = 0;
    pid_t worker = -1;
    bool foreign = false;
    int endCode = 0;
    int published = -1;
    int unannounced = 0;  // messages published since the last wake-up
    std::size_t unannouncedBytes = 0;
    bool scriptEnded = false;
    std::size_t expected = 0;  // the size of the message being received, 0 between messages
};

}  // namespace zorrun
