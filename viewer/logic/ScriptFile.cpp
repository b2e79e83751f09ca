#include "ScriptFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "host/PosixFiles.h"
#include "run/AdaptIO.h"

namespace viewer {

namespace {

constexpr size_t nameLimit = AdaptIO::nameSize - 1;

// A new file in the target's folder, so that the final rename stays on one
// file system; its name is short, so that a long target name still fits.
int createSibling(const std::string& target, std::string& tempName) {
    const std::string folder = target.substr(0, target.rfind('/') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = folder + ".zorviewer-" + std::to_string(getpid()) + '-' +
                   std::to_string(attempt) + ".tmp";
        const int fd = open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The replacement keeps the access rights of the file it replaces.
void keepMode(int fd, const std::string& target) {
    struct stat status;
    if (stat(target.c_str(), &status) == 0) fchmod(fd, status.st_mode & 07777);
}

// Writes bytes to a sibling file and renames it over the target; the answer
// is 0 or the system's error number of the step that failed.
int replaceFile(const std::string& name, std::string_view bytes) {
    if (name.empty()) return ENOENT;
    if (name.size() > nameLimit) return ENAMETOOLONG;
    // The rename would replace a file the user may not write as well.
    if (faccessat(AT_FDCWD, name.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) return errno;
    std::string tempName;
    const int fd = createSibling(name, tempName);
    if (fd < 0) return errno;
    keepMode(fd, name);
    int failure = host::writeAll(fd, bytes) ? 0 : (errno != 0 ? errno : EIO);
    if (close(fd) != 0 && failure == 0) failure = errno;
    if (failure == 0 && rename(tempName.c_str(), name.c_str()) == 0) return 0;
    if (failure == 0) failure = errno;
    unlink(tempName.c_str());
    return failure;
}

// Read with plain reads rather than AdaptIO::getChar, which answers the byte
// 0xFF as the end of the file: a script holding it would come back cut short.
std::optional<std::string> readBytes(const std::string& name, bool dropReturns) {
    if (name.empty() || name.size() > nameLimit) return std::nullopt;
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> bytes = host::readAll(fd);
    close(fd);
    if (bytes && dropReturns) std::erase(*bytes, '\r');
    return bytes;
}

}  // namespace

std::optional<std::string> readPaneText(const std::string& name) {
    return readBytes(name, true);
}

std::optional<std::string> readFileBytes(const std::string& name) {
    return readBytes(name, false);
}

std::string withCrLf(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

bool writePaneText(const std::string& name, std::string_view text) {
    return replaceFile(name, withCrLf(text)) == 0;
}

bool writeFileBytes(const std::string& name, std::string_view bytes) {
    return replaceFile(name, bytes) == 0;
}

std::string writeFileReason(const std::string& name, std::string_view bytes) {
    const int failure = replaceFile(name, bytes);
    return failure == 0 ? std::string() : std::strerror(failure);
}

bool copyFile(const std::string& from, const std::string& to) {
    const std::optional<std::string> bytes = readFileBytes(from);
    return bytes && replaceFile(to, *bytes) == 0;
}

bool removeFile(const std::string& name) {
    return AdaptIO::deleteFile(name.c_str()) != 0;
}

}  // namespace viewer
