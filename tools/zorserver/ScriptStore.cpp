#include "ScriptStore.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "host/PosixFiles.h"

namespace zorserver {

namespace {

// The server is not bound to the client's 500-byte chunks.
constexpr std::size_t chunkSize = 64 * 1024;

// A file left at the temporary name, or planted there, is removed rather
// than followed or written through.
int createFresh(int folderFd, const std::string& name) {
    constexpr int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = openat(folderFd, name.c_str(), flags, 0644);
    if (fd < 0 && errno == EEXIST && unlinkat(folderFd, name.c_str(), 0) == 0)
        fd = openat(folderFd, name.c_str(), flags, 0644);
    return fd;
}

std::string errorText() {
    return std::strerror(errno);
}

}  // namespace

bool ScriptStore::receive(remote::WireSocket& client, long length, const std::string& file,
                          std::string& reason) {
    if (length > remote::maxScriptBytes) {
        reason = "script too long for the test server (" + std::to_string(length) +
                 " bytes; the limit is " + std::to_string(remote::maxScriptBytes) + ")";
        return client.skip(static_cast<std::size_t>(length));
    }
    if (!admits(file)) {
        reason = "too many stored scripts (the limit is " + std::to_string(nameLimit) +
                 "): " + file + " not stored";
        return client.skip(static_cast<std::size_t>(length));
    }
    bool arrived = true;
    const std::string failure = store(client, length, file, arrived);
    if (!failure.empty()) reason = "cannot store the script in " + file + ": " + failure;
    if (arrived && failure.empty()) names.insert(file);
    return arrived;
}

bool ScriptStore::admits(const std::string& file) const {
    return names.size() < nameLimit || names.contains(file);
}

// The reason the script is not stored, or "".
std::string ScriptStore::store(remote::WireSocket& client, long length, const std::string& file,
                               bool& arrived) {
    const std::string partFile = file + ".part";
    const int fd = createFresh(folderFd, partFile);
    std::string failure = fd < 0 ? errorText() : std::string();
    std::vector<char> buffer(chunkSize);
    char* const chunk = buffer.data();
    for (long left = length; left > 0 && arrived;) {
        const std::size_t part = std::min(chunkSize, static_cast<std::size_t>(left));
        arrived = client.receive(chunk, part);
        if (arrived && failure.empty() && !host::writeAll(fd, {chunk, part})) failure = errorText();
        left -= static_cast<long>(part);
    }
    if (fd >= 0 && close(fd) != 0 && failure.empty()) failure = errorText();
    if (!arrived && failure.empty()) failure = "the script did not arrive whole";
    if (failure.empty() && !host::replaceAt(folderFd, partFile, file)) failure = errorText();
    if (!failure.empty() && fd >= 0) unlinkat(folderFd, partFile.c_str(), 0);
    return failure;
}

}  // namespace zorserver
