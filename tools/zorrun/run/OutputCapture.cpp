#include "OutputCapture.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zorrun {

OutputCapture::~OutputCapture() {
    closeEnd(readEnd);
    closeEnd(writeEnd);
}

void OutputCapture::closeEnd(int& end) {
    if (end >= 0) close(end);
    end = -1;
}

// Both ends close on exec: only the worker's descriptors 1 and 2, duplicated
// from the write end, lead into the pipe in a program it starts.
bool OutputCapture::prepare(std::string& reason) {
    closeEnd(readEnd);
    closeEnd(writeEnd);
    kept.clear();
    dropped = 0;
    if (passing) return true;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    fcntl(readEnd, F_SETFL, fcntl(readEnd, F_GETFL) | O_NONBLOCK);
    return true;
}

void OutputCapture::becomeWorker() {
    closeEnd(readEnd);
    if (writeEnd < 0) return;
    dup2(writeEnd, STDOUT_FILENO);
    dup2(writeEnd, STDERR_FILENO);
    closeEnd(writeEnd);
}

// Without its own write end the supervisor sees the pipe's end when the worker ends.
void OutputCapture::becomeSupervisor() {
    closeEnd(writeEnd);
}

void OutputCapture::take() {
    char chunk[1 << 14];
    while (readEnd >= 0) {
        const ssize_t got = read(readEnd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got == 0) closeEnd(readEnd);
        if (got <= 0) return;
        const std::size_t size = static_cast<std::size_t>(got);
        const std::size_t room = keptBytes - std::min(kept.size(), keptBytes);
        kept.append(chunk, std::min(size, room));
        dropped += size - std::min(size, room);
    }
}

std::string OutputCapture::finish() {
    take();
    closeEnd(readEnd);
    closeEnd(writeEnd);
    std::string text = std::move(kept);
    kept.clear();
    if (dropped > 0) {
        if (!text.empty() && text.back() != '\n') text += '\n';
        text += "[" + std::to_string(dropped) + " more bytes not kept]\n";
    }
    dropped = 0;
    return text;
}

}  // namespace zorrun
