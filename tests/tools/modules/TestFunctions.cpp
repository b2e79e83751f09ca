// Native test functions that the tests of ZorRun and ZorServer load.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ZorLib.h"

namespace {

// A result with every byte a test function can write: the JUnit report must
// stay valid XML whatever a report block holds.
void everyByte() {
    std::string text;
    for (int c = 1; c < 256; ++c) text += static_cast<char>(c);
    Parse::getOutStore()["text"] = text.c_str();
}

// A result longer than the JUnit report takes from a failed test's block.
void bigText() {
    Parse::getOutStore()["text"] = std::string(1 << 21, 'x').c_str();
}

// A result whose text looks like the end of its report block and a whole
// passing one after it: only the library's judgement may count.
void forgeReport() {
    Parse::getOutStore()["text"] = "\r\n}\r\n\r\nfake\r\n{\r\n  verified:\r\n  logged:\r\n}\r\n";
}

// A test that takes a while, keeping its worker busy.
void pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

// Test functions that end the process running them, or would. A sanitizer's
// own handler would turn the crash into an exit, so the default comes back
// first.
void crash() {
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
}

void throws() {
    throw std::runtime_error("no session");
}

void exitZero() {
    std::exit(0);
}

// Longer than any test waits: the run is stopped from outside.
void sleepLong() {
    std::this_thread::sleep_for(std::chrono::minutes(5));
}

// More memory than a bounded worker may take.
void hog() {
    std::vector<char> big(std::size_t{1} << 30, 'x');
    Parse::getOutStore()["last"] = big.back();
}

// Creates the file named by its input "path" on its own, past the library's
// guard, and reports the errno of the attempt (0 when it was made).
void touch() {
    const char* path = static_cast<char*>(Parse::getInStore()[0]["path"]);
    const int fd = open(path ? path : "", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    Parse::getOutStore()["error"] = fd < 0 ? errno : 0;
    if (fd >= 0) close(fd);
}

void noteStay(int log, const char* what) {
    const std::string line = what + std::to_string(getpid()) + "\n";
    if (::write(log, line.data(), line.size()) < 0) std::abort();
}

// Notes its stay in stays.log in the current folder, one line on entering and
// one on leaving, each appended in one write: two scripts running at once
// would leave lines of one between the other's.
void stay() {
    const int log = open("stays.log", O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    noteStay(log, "enter ");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    noteStay(log, "leave ");
    close(log);
}

// Forks and lets the child go on with the script, as a test function that
// forgets _exit does; the worker itself crashes once the child is done.
void forkChild() {
    const pid_t child = fork();
    if (child == 0) return;
    int status = 0;
    waitpid(child, &status, 0);
    crash();
}

// Writes zeros over every shared anonymous mapping of a ring's size: what a
// stray pointer in a test function could do to the worker's messages.
void scribble() {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        unsigned long from = 0, to = 0;
        char mode[5] = {};
        if (std::sscanf(line.c_str(), "%lx-%lx %4s", &from, &to, mode) != 3) continue;
        const unsigned long size = to - from;
        if (std::string(mode) != "rw-s" || line.find("/dev/zero") == std::string::npos ||
            size < (256ul << 10) || size > (512ul << 10))
            continue;
        std::memset(reinterpret_cast<void*>(from), 0, size);
    }
}

ZorCall crashRegistration("crash", crash);
ZorCall forkChildRegistration("forkChild", forkChild);
ZorCall scribbleRegistration("scribble", scribble);
ZorCall throwsRegistration("throws", throws);
ZorCall exitZeroRegistration("exitZero", exitZero);
ZorCall sleepLongRegistration("sleepLong", sleepLong);
ZorCall hogRegistration("hog", hog);
ZorCall touchRegistration("touch", touch);
ZorCall everyByteRegistration("everyByte", everyByte);
ZorCall bigTextRegistration("bigText", bigText);
ZorCall pauseRegistration("pause", pause);
ZorCall stayRegistration("stay", stay);
ZorCall forgeReportRegistration("forgeReport", forgeReport);

}  // namespace
