#include "protocol/ReplyFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <filesystem>
#include <string_view>

#include "host/PosixFiles.h"

namespace remote {

namespace {

// The file arrives in small chunks; it is written in large ones.
constexpr std::size_t flushSize = 64 * 1024;

bool hasParentStep(std::string_view name) {
    while (!name.empty()) {
        const std::size_t slash = name.find('/');
        if (name.substr(0, slash) == "..") return true;
        name.remove_prefix(slash == std::string_view::npos ? name.size() : slash + 1);
    }
    return false;
}

bool samePath(const std::string& a, const std::string& b) {
    std::error_code failed;
    const std::filesystem::path left = std::filesystem::absolute(a, failed).lexically_normal();
    const std::filesystem::path right = std::filesystem::absolute(b, failed).lexically_normal();
    return !failed && left == right;
}

}  // namespace

DiskReplyFiles::~DiskReplyFiles() {
    close();
    forget();
}

// A name whose folder does not exist is taken: it stays beneath this one, and
// create then fails as for any file that cannot be made.
bool DiskReplyFiles::accept(const std::string& name, const std::string& script) {
    close();
    forget();
    if (name.empty() || name.front() == '/' || name.back() == '/' || hasParentStep(name))
        return false;
    const std::size_t slash = name.rfind('/');
    base = slash == std::string::npos ? name : name.substr(slash + 1);
    if (base == "." || samePath(name, script) || samePath(name + "_", script)) return false;
    const int here = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (here < 0) return false;
    if (slash == std::string::npos) {
        folder = here;
    } else {
        folder = host::openBeneath(here, name.substr(0, slash), O_PATH | O_DIRECTORY);
        const int reason = errno;
        ::close(here);
        if (folder < 0) return reason == ENOENT || reason == ENOTDIR;
    }
    struct stat scriptFile {};
    const bool scriptFound = stat(script.c_str(), &scriptFile) == 0;
    if (mayTake(base, scriptFound ? &scriptFile : nullptr) &&
        mayTake(base + "_", scriptFound ? &scriptFile : nullptr))
        return true;
    forget();
    return false;
}

// An entry that does not exist may be made; one that exists must resolve
// beneath the folder and be another file than the script, links included.
bool DiskReplyFiles::mayTake(const std::string& entry, const struct stat* script) const {
    const int found = host::openBeneath(folder, entry, O_PATH);
    if (found < 0) return errno == ENOENT;
    struct stat target {};
    const bool isScript = script && fstat(found, &target) == 0 && target.st_dev == script->st_dev &&
                          target.st_ino == script->st_ino;
    ::close(found);
    return !isScript;
}

// A temporary file left behind by an earlier exchange, or a link planted
// under its name, is removed rather than opened: removing a link never
// touches its target, and the new file is made only where none is.
bool DiskReplyFiles::create() {
    close();
    writeFailed = false;
    if (folder < 0) return false;
    const std::string temporary = base + "_";
    unlinkat(folder, temporary.c_str(), 0);
    fd = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                0666);
    return fd >= 0;
}

bool DiskReplyFiles::write(const char* bytes, std::size_t count) {
    if (fd < 0 || writeFailed) return false;
    pending.append(bytes, count);
    if (pending.size() >= flushSize) flush();
    return !writeFailed;
}

void DiskReplyFiles::flush() {
    if (!host::writeAll(fd, pending)) writeFailed = true;
    pending.clear();
}

bool DiskReplyFiles::close() {
    if (fd < 0) return true;
    if (!pending.empty()) flush();
    const bool closed = ::close(fd) == 0 && !writeFailed;
    fd = -1;
    return closed;
}

bool DiskReplyFiles::replace() {
    return folder >= 0 && host::replaceAt(folder, base + "_", base);
}

void DiskReplyFiles::remove() {
    if (folder >= 0) unlinkat(folder, (base + "_").c_str(), 0);
}

void DiskReplyFiles::forget() {
    if (folder >= 0) ::close(folder);
    folder = -1;
    base.clear();
}

}  // namespace remote
