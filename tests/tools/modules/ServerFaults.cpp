// Native test functions that misbehave, loaded into ZorServer with --load:
// each must end its own exchange only.
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "ZorLib.h"

namespace {

// Raised with the default action, so that a sanitizer's handler does not
// turn the crash into an ordinary exit.
void crash() {
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
}

void hang() {
    for (;;) pause();
}

void quit() {
    std::exit(0);
}

void hog() {
    std::vector<char> big(std::size_t{1} << 30, 'x');
    Parse::getOutStore()["last"] = big.back();
}

void throwing() {
    throw std::runtime_error("thrown by a test function");
}

// Creates the file named by its input "path" on its own, past the library's
// guard, and reports the errno of the attempt (0 when it was made).
void touch() {
    const char* path = static_cast<char*>(Parse::getInStore()[0]["path"]);
    const int fd = open(path ? path : "", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    Parse::getOutStore()["error"] = fd < 0 ? errno : 0;
    if (fd >= 0) close(fd);
}

ZorCall crashRegistration("crash", crash);
ZorCall hangRegistration("hang", hang);
ZorCall hogRegistration("hog", hog);
ZorCall quitRegistration("quit", quit);
ZorCall throwingRegistration("throwing", throwing);
ZorCall touchRegistration("touch", touch);

}  // namespace
