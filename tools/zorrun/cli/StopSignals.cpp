#include "StopSignals.h"

#include <csignal>
#include <cstring>

namespace zorrun {

namespace {

volatile std::sig_atomic_t noted = 0;

void note(int signal) {
    noted = signal;
}

// Interrupted writes of console lines are taken up again, so no line is cut.
void setAction(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

void catchStopSignals() {
    setAction(note);
}

int stopSignal() {
    return noted;
}

void restoreStopSignals() {
    setAction(SIG_DFL);
}

std::string signalName(int signal) {
    if (const char* abbreviation = sigabbrev_np(signal)) return std::string("SIG") + abbreviation;
    return "signal " + std::to_string(signal);
}

}  // namespace zorrun
