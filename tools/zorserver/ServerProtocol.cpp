#include "ServerProtocol.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "WireFields.h"

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
        if (put <= 0) return false;
        bytes += put;
        count -= static_cast<std::size_t>(put);
    }
    return true;
}

// The script goes into a sibling file first: a script that does not arrive
// whole never replaces the one kept from before. False when the connection
// ended inside it.
bool receiveScript(remote::WireSocket& client, int length, const std::string& scriptFile,
                   bool& stored) {
    const std::string partFile = scriptFile + ".part";
    const int fd = open(partFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    bool arrived = true;
    std::vector<char> buffer(chunkSize);
    char* const chunk = buffer.data();
    for (int left = length; left > 0 && arrived;) {
        const std::size_t part = std::min(chunkSize, static_cast<std::size_t>(left));
        arrived = client.receive(chunk, part);
        written = written && arrived && writeAll(fd, chunk, part);
        left -= static_cast<int>(part);
    }
    if (fd >= 0) written = close(fd) == 0 && written;
    // Renaming over an existing file makes some file systems write the new
    // one out at once, which costs more than the rest of a short exchange.
    if (written) unlink(scriptFile.c_str());
    stored = written && std::rename(partFile.c_str(), scriptFile.c_str()) == 0;
    if (!stored) unlink(partFile.c_str());
    return arrived;
}

bool sendFile(remote::WireSocket& client, const std::string& name, long& sentBytes) {
    sentBytes = 0;
    const int fd = name.empty() ? -1 : open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || fstat(fd, &status) != 0 || status.st_size > remote::maxNumber) {
        if (fd >= 0) close(fd);
        return client.sendNumber(0) == remote::fieldSize;
    }
    // The length is the size when sending starts; a file that shrinks
    // meanwhile is padded, so that the stream stays in step.
    const long size = static_cast<long>(status.st_size);
    bool sent = client.sendNumber(static_cast<int>(size)) == remote::fieldSize;
    std::vector<char> buffer(chunkSize);
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
    close(fd);
    return sent;
}

}  // namespace

bool readRequest(remote::WireSocket& client, ServerRequest& request, std::string& reason) {
    int scriptLength = 0;
    if (!client.receiveNumber(request.reserved) || !client.receiveNumber(request.traceDepth) ||
        !readString(client, request.traceRoot) || !readString(client, request.inputName) ||
        !client.receiveNumber(scriptLength)) {
        reason = "the request ended early";
        return false;
    }
    request.scriptFile = localInputName(request.inputName);
    request.scriptSent = scriptLength > 0;
    request.scriptStored = false;
    if ((request.scriptSent &&
         !receiveScript(client, scriptLength, request.scriptFile, request.scriptStored)) ||
        !readString(client, request.filter)) {
        reason = "the request ended early";
        return false;
    }
    return true;
}

bool sendReply(remote::WireSocket& client, const ServerReply& reply, long& fileBytes) {
    remote::CorkScope corked(client);
    fileBytes = 0;
    const bool named = !reply.outFile.empty();
    if ((named ? client.sendString(reply.outFile) != remote::fieldSize + reply.outFile.size() + 1
               : client.sendNumber(0) != remote::fieldSize) ||
        !sendFile(client, named ? reply.outFile : std::string(), fileBytes))
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
