#include "RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zorlsp {

bool readOpenedFile(int fd, std::size_t limit, std::string& text) {
    text.clear();
    struct stat status;
    const bool regular = fd >= 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                         static_cast<std::size_t>(status.st_size) <= limit;
    if (regular) {
        // A file that grows while it is read is cut at the size it had.
        text.resize(static_cast<std::size_t>(status.st_size));
        std::size_t got = 0;
        while (got < text.size()) {
            const ssize_t part = read(fd, text.data() + got, text.size() - got);
            if (part < 0 && errno == EINTR) continue;
            if (part <= 0) break;
            got += static_cast<std::size_t>(part);
        }
        text.resize(got);
    }
    if (fd >= 0) close(fd);
    return regular;
}

bool readRegularFile(const std::string& path, std::size_t limit, std::string& text) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    return readOpenedFile(fd, limit, text);
}

}  // namespace zorlsp
