#include "TestReach.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>

namespace zorrun {

namespace {

void writeAll(int descriptor, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) _exit(1);
        done += static_cast<std::size_t>(wrote);
    }
}

void putNumber(std::string& out, std::int32_t number) {
    char bytes[sizeof number];
    std::memcpy(bytes, &number, sizeof bytes);
    out.append(bytes, sizeof bytes);
}

// Each test as position, line, name length and name.
[[noreturn]] void tellTests(int descriptor, const std::string& script, const std::string& filter,
                            TestSelection* selection) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    std::string bytes;
    for (const ListedTest& test : testsReached(script, filter, selection)) {
        putNumber(bytes, test.position);
        putNumber(bytes, test.line);
        putNumber(bytes, static_cast<std::int32_t>(test.name.size()));
        bytes += test.name;
    }
    writeAll(descriptor, bytes);
    _exit(0);
}

std::string readAll(int descriptor) {
    std::string bytes;
    char chunk[1 << 14];
    for (;;) {
        const ssize_t got = read(descriptor, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return bytes;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

bool takeNumber(std::string_view& bytes, std::int32_t& number) {
    if (bytes.size() < sizeof number) return false;
    std::memcpy(&number, bytes.data(), sizeof number);
    bytes.remove_prefix(sizeof number);
    return true;
}

bool parseTests(std::string_view bytes, std::vector<ListedTest>& tests) {
    while (!bytes.empty()) {
        std::int32_t position = 0, line = 0, size = 0;
        if (!takeNumber(bytes, position) || !takeNumber(bytes, line) || !takeNumber(bytes, size) ||
            size < 0 || static_cast<std::size_t>(size) > bytes.size())
            return false;
        tests.push_back(
            {std::string(bytes.substr(0, static_cast<std::size_t>(size))), position, line});
        bytes.remove_prefix(static_cast<std::size_t>(size));
    }
    return true;
}

}  // namespace

// The error that stops the script leaves the tests before it; the run stops
// there too, so they are the ones it reaches.
std::vector<ListedTest> testsReached(const std::string& script, const std::string& filter,
                                     TestSelection* selection) {
    std::vector<ListedTest> tests;
    std::string error;
    selectedTests(script, filter, selection, tests, error);
    return tests;
}

// The child touches no stream of this process: other threads may hold their
// locks, and their buffers are not its to write.
bool testsReachedApart(const std::string& script, const std::string& filter,
                       TestSelection* selection, std::vector<ListedTest>& tests) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        tellTests(ends[1], script, filter, selection);
    }
    close(ends[1]);
    if (child < 0) {
        close(ends[0]);
        return false;
    }
    const std::string bytes = readAll(ends[0]);
    close(ends[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    tests.clear();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && parseTests(bytes, tests);
}

}  // namespace zorrun
