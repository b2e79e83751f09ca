#include "ServerProtocol.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "FolderAccess.h"
#include "protocol/WireFields.h"

namespace zorserver {

namespace {

// Strings longer than any the library takes are received and cut here.
constexpr int stringLimit = 4096;
// The server is not bound to the client's 500-byte chunks.
constexpr std::size_t chunkSize = 64 * 1024;

bool readString(remote::WireSocket& client, std::string& text) {
    int length = 0;
    if (!client.receiveNumber(length)) return false;
    text.clear();
    if (length <= 0) return true;
    const int kept = std::min(length, stringLimit);
    std::string bytes(static_cast<std::size_t>(kept), '\0');
    if (!client.receive(bytes.data(), bytes.size()) || !client.skip(length - kept)) return false;
    text.assign(bytes.c_str());
    return true;
}

bool writeAll(int fd, const char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t put = write(fd, bytes, count);
        if (put < 0 && errno == EINTR) continue;
        if (put == 0) errno = ENOSPC;
        if (put <= 0) return false;
        bytes += put;
        count -= static_cast<std::size_t>(put);
    }
    return true;
}

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
    if (length > maxScriptBytes) {
        reason = "script too long for the test server (" + std::to_string(length) +
                 " bytes; the limit is " + std::to_string(maxScriptBytes) + ")";
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
        if (arrived && failure.empty() && !writeAll(fd, chunk, part)) failure = errorText();
        left -= static_cast<long>(part);
    }
    if (fd >= 0 && close(fd) != 0 && failure.empty()) failure = errorText();
    if (!arrived && failure.empty()) failure = "the script did not arrive whole";
    // Renaming over an existing file makes some file systems write the new
    // one out at once, which costs more than the rest of a short exchange.
    if (failure.empty() && unlinkat(folderFd, file.c_str(), 0) != 0 && errno != ENOENT)
        failure = errorText();
    if (failure.empty() && renameat(folderFd, partFile.c_str(), folderFd, file.c_str()) != 0)
        failure = errorText();
    if (!failure.empty() && fd >= 0) unlinkat(folderFd, partFile.c_str(), 0);
    return failure;
}

bool readRequest(remote::WireSocket& client, ScriptStore& store, ServerRequest& request,
                 std::string& reason) {
    int scriptLength = 0;
    if (!client.receiveNumber(request.reserved) || !client.receiveNumber(request.traceDepth) ||
        !readString(client, request.traceRoot) || !readString(client, request.inputName) ||
        !client.receiveNumber(scriptLength)) {
        reason = "the request ended early";
        return false;
    }
    request.scriptFile = localInputName(request.inputName);
    request.scriptSent = scriptLength > 0;
    if ((request.scriptSent &&
         !store.receive(client, scriptLength, request.scriptFile, request.storeError)) ||
        !readString(client, request.filter)) {
        reason = "the request ended early";
        return false;
    }
    return true;
}

void setServerError(ServerReply& reply, const std::string& text) {
    if (reply.errLine > 0) return;
    reply.errLine = 1;
    reply.errPos = 0;
    reply.errText = text;
}

// Opened without blocking, so that a pipe named as the output file cannot
// hold the server up.
ReplyFile::ReplyFile(int folderFd, const std::string& name) {
    if (name.empty()) return;
    fd = openBeneath(folderFd, name, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    outside = fd < 0 && zorserver::leadsOutside(errno);
    struct stat status {};
    if (fd >= 0 && (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) drop();
    if (fd >= 0) bytes = static_cast<long>(status.st_size);
}

ReplyFile::~ReplyFile() {
    drop();
}

void ReplyFile::drop() {
    if (fd >= 0) close(fd);
    fd = -1;
    bytes = 0;
}

// The length is the size when the file was opened; a file that shrinks
// meanwhile is padded, so that the stream stays in step.
bool ReplyFile::send(remote::WireSocket& client, long& sentBytes) {
    sentBytes = 0;
    // A length the field cannot announce is never cut down to one it can.
    if (bytes > maxSendBytes) drop();
    const long size = bytes;
    bool sent = client.sendNumber(static_cast<int>(size)) == remote::fieldSize;
    std::vector<char> buffer(size > 0 ? chunkSize : 0);
    char* const chunk = buffer.data();
    while (sent && sentBytes < size) {
        const std::size_t want = std::min<std::size_t>(chunkSize, size - sentBytes);
        ssize_t got = read(fd, chunk, want);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            std::memset(chunk, ' ', want);
            got = static_cast<ssize_t>(want);
        }
        sent = client.send(chunk, static_cast<std::size_t>(got)) == static_cast<std::size_t>(got);
        sentBytes += got;
    }
    return sent;
}

bool sendReply(remote::WireSocket& client, const ServerReply& reply, ReplyFile& file,
               long& fileBytes) {
    remote::CorkScope corked(client);
    fileBytes = 0;
    const bool named = !reply.outFile.empty();
    if (!named) file.drop();
    if ((named ? client.sendString(reply.outFile) != remote::fieldSize + reply.outFile.size() + 1
               : client.sendNumber(0) != remote::fieldSize) ||
        !file.send(client, fileBytes))
        return false;
    for (const std::string& block : reply.blocks) {
        if (client.sendNumber(static_cast<int>(block.size())) != remote::fieldSize ||
            client.send(block.data(), block.size()) != block.size())
            return false;
    }
    if (client.sendNumber(0) != remote::fieldSize ||
        client.sendNumber(reply.errLine) != remote::fieldSize ||
        client.sendNumber(reply.errPos) != remote::fieldSize)
        return false;
    if (reply.errLine > 0 && !reply.errText.empty())
        return client.sendString(reply.errText) == remote::fieldSize + reply.errText.size() + 1;
    return client.sendNumber(0) == remote::fieldSize;
}

std::string localInputName(const std::string& sentName) {
    const std::size_t slash = sentName.find_last_of("/\\");
    const std::string last = slash == std::string::npos ? sentName : sentName.substr(slash + 1);
    if (last.empty() || last == "." || last == "..") return "in.txt";
    return last;
}

}  // namespace zorserver
