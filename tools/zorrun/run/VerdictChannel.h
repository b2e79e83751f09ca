// The road from a worker process to the supervisor. The worker puts each
// verdict into a ring of messages in memory that both processes share, with
// no system call, and wakes the supervisor over a pipe once per batch. The
// memory outlives the worker: whatever it published before it died still
// arrives, and it tells which test function was running.
#pragma once

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
    void testStarts(const char* name) override;
    void testEnded() override;
    void verdict(const Verdict& verdict) override;
    void scriptEnd(const ScriptEnd& end) override;

    // Supervisor, right after the worker started.
    void becomeSupervisor();
    int wakeDescriptor() const { return wakeRead; }
    // Takes the wake-ups waiting in the pipe; false once the worker's end is
    // closed, and the pipe with it.
    bool takeWakeUps();
    // Hands every message published so far to the listener; false when a
    // message is damaged (the worker wrote over the shared memory).
    bool receive(VerdictListener& listener);
    bool hasScriptEnd() const { return scriptEnded; }
    // The test function that was running when the worker stopped, if any.
    bool runningTest(std::string& name) const;
    // Closes what is left of the pipe, once the worker has ended or did not start.
    void closePipe();

private:
    struct Shared;

    static void closeEnd(int& end);
    void publish();
    void wake();
    void waitForRoom();
    void copyIn(std::uint64_t at, const char* bytes, std::size_t size);
    void copyOut(std::uint64_t at, char* bytes, std::size_t size) const;
    bool dispatch(VerdictListener& listener);

    Shared* shared = nullptr;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::string message;  // the one being built or taken apart
    int unannounced = 0;  // messages published since the last wake-up
    std::size_t unannouncedBytes = 0;
    bool scriptEnded = false;
    std::size_t expected = 0;  // the size of the message being received, 0 between messages
};

}  // namespace zorrun
