#include "ReplacedFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zorrun {

ReplacedFile::~ReplacedFile() {
    if (!file) return;
    std::fclose(file);
    unlink(draftPath.c_str());
}

// The draft gets the mode that creating the file itself would have given it.
bool ReplacedFile::open(const std::string& path, std::string& reason) {
    finalPath = path;
    draftPath = path + ".XXXXXX";
    const int fd = mkstemp(draftPath.data());
    if (fd >= 0) {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
        file = fdopen(fd, "wb");
    }
    if (!file) {
        reason = std::strerror(errno);
        if (fd >= 0) {
            ::close(fd);
            unlink(draftPath.c_str());
        }
        return false;
    }
    failed = false;
    return true;
}

void ReplacedFile::write(std::string_view text) {
    if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size()) failed = true;
}

// The draft is on disk before it takes the report's name, so that no moment,
// not even a system crash, shows a partial report under that name.
bool ReplacedFile::commit(std::string& reason) {
    if (!file) return true;
    if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) failed = true;
    if (std::fclose(file) != 0) failed = true;
    file = nullptr;
    if (!failed && rename(draftPath.c_str(), finalPath.c_str()) == 0) return true;
    reason = failed ? "a write failed" : std::strerror(errno);
    unlink(draftPath.c_str());
    return false;
}

}  // namespace zorrun
