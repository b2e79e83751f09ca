#include "OutputCapture.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zorrun {

namespace {

std::string cutNote() {
    return "[output cut after " + std::to_string(OutputCapture::keptBytes) + " bytes]\n";
}

void endLine(std::string& text) {
    if (!text.empty() && text.back() != '\n') text += '\n';
}

}  // namespace

OutputCapture::~OutputCapture() {
    if (file >= 0) close(file);
}

// The file cannot grow past its size, whatever the worker does: a write that
// would fails whole, a page at a time. A margin of many pages beyond what is
// kept tells that more was printed.
bool OutputCapture::prepare(std::string& reason) {
    if (file >= 0) close(file);
    file = -1;
    if (passing) return true;
    file = memfd_create("zorrun-output", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (file >= 0 && ftruncate(file, keptBytes + (64u << 10)) == 0) {
        if (fcntl(file, F_ADD_SEALS, F_SEAL_GROW | F_SEAL_SHRINK | F_SEAL_SEAL) == 0) return true;
    } else if (file >= 0 && errno == EFBIG) {
        return true;  // a file size limit below the size bounds the file instead
    }
    reason = std::strerror(errno);
    if (file >= 0) close(file);
    file = -1;
    return false;
}

// Descriptors 1 and 2 share the file's offset with the one kept here, which
// tells how far the worker has printed.
void OutputCapture::becomeWorker() {
    if (file < 0) return;
    dup2(file, STDOUT_FILENO);
    dup2(file, STDERR_FILENO);
    // Line by line, as on a terminal: what a test printed before it crashed
    // is not lost in a buffer.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
}

std::string OutputCapture::take() {
    if (file < 0) return {};
    std::fflush(stdout);
    std::fflush(stderr);
    std::string text = takeFile();
    // A write that met the bound left the streams in error.
    std::clearerr(stdout);
    std::clearerr(stderr);
    return text;
}

// A test function may have moved the offset anywhere: only the bound is read.
std::string OutputCapture::takeFile() {
    if (file < 0) return {};
    const off_t printed = lseek(file, 0, SEEK_CUR);
    if (printed <= 0) return {};
    const std::size_t size = std::min(static_cast<std::size_t>(printed), keptBytes);
    std::string text(size, '\0');
    const ssize_t got = pread(file, text.data(), size, 0);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    lseek(file, 0, SEEK_SET);
    if (static_cast<std::size_t>(printed) > keptBytes) {
        endLine(text);
        text += cutNote();
    }
    return text;
}

// The supervisor's own streams are not the worker's: they stay as they are.
std::string OutputCapture::finish() {
    std::string text = takeFile();
    if (file >= 0) close(file);
    file = -1;
    return text;
}

void appendOutput(std::string& kept, std::string_view taken) {
    if (taken.empty() || kept.ends_with(cutNote())) return;
    const std::size_t room =
        OutputCapture::keptBytes - std::min(kept.size(), OutputCapture::keptBytes);
    if (taken.size() <= room) {
        kept += taken;
        return;
    }
    kept.append(taken.substr(0, room));
    endLine(kept);
    kept += cutNote();
}

}  // namespace zorrun
