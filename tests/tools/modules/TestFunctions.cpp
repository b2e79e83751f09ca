// Native test functions that the tests of ZorRun and ZorServer load.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ZorLib.h"

namespace {

// A result longer than the JUnit report takes from a failed test's block.
void bigText() {
    Parse::getOutStore()["text"] = std::string(1 << 21, 'x').c_str();
}

// Test functions that end the process running them, or would. A sanitizer's
// own handler would turn the crash into an exit, so the default comes back
// first.
void crash() {
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
}

// Prints its inputs "out" on stdout and "err" on stderr, as a test function
// being debugged does, without flushing.
void say() {
    const char* out = static_cast<char*>(Parse::getInStore()[0]["out"]);
    const char* err = static_cast<char*>(Parse::getInStore()[0]["err"]);
    if (out && *out) std::printf("%s\n", out);
    if (err && *err) std::fprintf(stderr, "%s\n", err);
}

void sayThenCrash() {
    std::printf("going down\n");
    crash();
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

ZorCall crashRegistration("crash", crash);
ZorCall throwsRegistration("throws", throws);
ZorCall sayRegistration("say", say);
ZorCall sayThenCrashRegistration("sayThenCrash", sayThenCrash);
ZorCall exitZeroRegistration("exitZero", exitZero);
ZorCall sleepLongRegistration("sleepLong", sleepLong);
ZorCall hogRegistration("hog", hog);
ZorCall bigTextRegistration("bigText", bigText);
ZorCall stayRegistration("stay", stay);

}  // namespace
