#include "ReplySending.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "FolderAccess.h"
#include "protocol/ReplyNames.h"
#include "protocol/VerdictCodec.h"
#include "protocol/WireFields.h"

namespace zorserver {

namespace {

// The server is not bound to the client's 500-byte chunks.
constexpr std::size_t chunkSize = 64 * 1024;

bool sendBlocks(remote::WireSocket& client, const std::vector<std::string>& blocks) {
    for (const std::string& block : blocks) {
        if (client.sendNumber(static_cast<int>(block.size())) != remote::fieldSize ||
            client.send(block.data(), block.size()) != block.size())
            return false;
    }
    return true;
}

}  // namespace

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
    if (fd < 0 && zorserver::leadsOutside(errno))
        refusal = outsideFolderText + name;
    else if (remote::normalReplyName(name).empty())
        refusal = unsendableNameText + name;
    struct stat status {};
    if (fd >= 0 && (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) drop();
    if (fd >= 0 && refusal.empty() && isHardLinked(fd)) refusal = linkedFileText + name;
    if (!refusal.empty()) drop();
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
    if (reply.verdictsWanted &&
        !sendBlocks(client, remote::verdictBlocks(reply.verdicts, reply.runEnd)))
        return false;
    if (!sendBlocks(client, reply.blocks) || client.sendNumber(0) != remote::fieldSize ||
        client.sendNumber(reply.errLine) != remote::fieldSize ||
        client.sendNumber(reply.errPos) != remote::fieldSize)
        return false;
    if (reply.errLine > 0 && !reply.errText.empty())
        return client.sendString(reply.errText) == remote::fieldSize + reply.errText.size() + 1;
    return client.sendNumber(0) == remote::fieldSize;
}

}  // namespace zorserver
