#include "Analysis.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/PosixFiles.h"
#include "run/Parse.h"

namespace zorlsp {

namespace {}  // namespace

bool outlineText(std::string_view text, ScriptOutline& outline, std::string& problem) {
    const int fd = memfd_create("zor-script", MFD_CLOEXEC);
    if (fd < 0) {
        problem = std::string("cannot hold the text: ") + std::strerror(errno);
        return false;
    }
    bool made = host::writeAll(fd, text);
    if (!made) problem = std::string("cannot hold the text: ") + std::strerror(errno);
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (made) {
        const int status = Parse::outlineScript(path.c_str(), outline);
        made = status >= 0;
        if (!made) problem = status == -1 ? "the library is busy" : "cannot read the text back";
    }
    close(fd);
    return made;
}

}  // namespace zorlsp
