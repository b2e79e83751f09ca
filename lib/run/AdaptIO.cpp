#include "run/AdaptIO.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "run/NumberText.h"
#include "run/OutputLock.h"

namespace {

std::atomic<AdaptIO::FileGuard> fileGuard{nullptr};

// Copies a file name into a name field; names that do not fit are refused
// rather than cut into the name of another file.
bool takeName(char* field, const char* name) {
    field[0] = '\0';
    if (!name || !name[0]) return false;
    size_t length = strnlen(name, AdaptIO::nameSize);
    if (length >= static_cast<size_t>(AdaptIO::nameSize)) return false;
    std::memcpy(field, name, length + 1);
    return true;
}

// The errno of a failed close, or 0. Linux frees the descriptor even when
// close fails, so it is never closed twice.
int closeFile(int& fd) {
    const int result = fd >= 0 ? close(fd) : 0;
    fd = -1;
    return result == 0 || errno == EINTR ? 0 : errno;
}

// A descriptor a guard hands over must not leak into programs the host starts.
int guarded(int fd) {
    if (fd >= 0) fcntl(fd, F_SETFD, FD_CLOEXEC);
    return fd;
}

int openForReading(const char* name) {
    if (AdaptIO::FileGuard guard = fileGuard.load())
        return guarded(guard(name, AdaptIO::accessRead));
    return open(name, O_RDONLY | O_CLOEXEC);
}

// Every write goes to the end of the file (O_APPEND), so no seek is needed
// once the locks are taken; a guard's descriptor is switched to appending.
int openForAppending(const char* name) {
    if (AdaptIO::FileGuard guard = fileGuard.load()) {
        const int fd = guarded(guard(name, AdaptIO::accessAppend));
        if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_APPEND);
        return fd;
    }
    return open(name, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
}

// Readers share a file and keep writers out; a writer keeps everybody out.
// The locks do not wait: a file in use by the other side cannot be opened.
bool shareFile(int fd, int mode) {
    while (flock(fd, mode | LOCK_NB) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// Retries partial and interrupted writes until every byte is written. Returns
// the errno of the write that lost the rest (a full disk, a size limit), or 0.
int writeAll(int fd, const char* bytes, long count) {
    while (count > 0) {
        ssize_t put = write(fd, bytes, static_cast<size_t>(count));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return errno;
        if (put == 0) return EIO;  // no progress and no reason: retrying would spin
        bytes += put;
        count -= put;
    }
    return 0;
}

bool isDirectory(int fd) {
    struct stat status;
    return fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
}

bool isFile(int fd, unsigned long device, unsigned long inode) {
    struct stat status;
    return fstat(fd, &status) == 0 && status.st_dev == device && status.st_ino == inode;
}

}  // namespace

AdaptIO::AdaptIO()
    : outFileName{},
      inFileName{},
      inFile(-1),
      outFile(-1),
      outputLock(zor::openOutputLock()),
      lockDevice(0),
      lockInode(0),
      inPos(0),
      inEnd(0),
      outUsed(0),
      writeError{} {
    struct stat status;
    if (outputLock >= 0 && fstat(outputLock, &status) == 0) {
        lockDevice = status.st_dev;
        lockInode = status.st_ino;
    }
}

// Closing the lock's descriptor drops a lock still held, so an object
// destroyed inside its write phase does not block the machine's other writers.
AdaptIO::~AdaptIO() {
    zor::closeOutputLock(outputLock);
    closeIn();
    flushOutput();
    closeFile(outFile);
}

int AdaptIO::openIn(const char* name) {
    closeIn();
    if (!takeName(inFileName, name)) return 0;
    inFile = openForReading(inFileName);
    if (inFile >= 0 && !isDirectory(inFile) && shareFile(inFile, LOCK_SH)) return 1;
    closeFile(inFile);
    inFileName[0] = '\0';
    return 0;
}

int AdaptIO::openOut(const char* name) {
    if (outFile >= 0) {  // the lock stays taken, as the caller still owns the write phase
        flushOutput();
        closeFile(outFile);
    }
    writeError[0] = '\0';
    if (!takeName(outFileName, name)) return 0;
    outFile = openForAppending(outFileName);
    const bool isLock = outputLock >= 0 && outFile >= 0 && isFile(outFile, lockDevice, lockInode);
    if (outFile < 0 || isLock || !shareFile(outFile, LOCK_EX)) {
        closeFile(outFile);
        outFileName[0] = '\0';
        return 0;
    }
    // The wait comes after the open, so a file that cannot be opened never blocks.
    zor::takeOutputLock(outputLock);
    return 1;
}

void AdaptIO::closeIn() {
    closeFile(inFile);
    inFileName[0] = '\0';
    inPos = inEnd = 0;
}

void AdaptIO::closeOut() {
    flushOutput();
    if (const int error = closeFile(outFile)) noteWriteError(error);
    outFileName[0] = '\0';
    zor::releaseOutputLock(outputLock);
}

bool AdaptIO::refillInput() {
    if (inFile < 0) return false;
    ssize_t got;
    do {
        got = read(inFile, inBuffer, bufferSize);
    } while (got < 0 && errno == EINTR);
    inPos = 0;
    inEnd = got > 0 ? static_cast<int>(got) : 0;
    return inEnd > 0;
}

int zor::readInputBytes(AdaptIO& io, char* out, int max, bool& ended) {
    int taken = 0;
    ended = false;
    while (taken < max) {
        if (io.inPos == io.inEnd && !io.refillInput()) {
            ended = true;
            break;
        }
        const int count = std::min(max - taken, io.inEnd - io.inPos);
        std::memcpy(out + taken, io.inBuffer + io.inPos, static_cast<size_t>(count));
        taken += count;
        io.inPos += count;
    }
    return taken;
}

void AdaptIO::putChar(char c) {
    writeBytes(&c, 1);
}

char* AdaptIO::getInFileName() {
    return inFileName;
}

char* AdaptIO::getOutFileName() {
    return outFileName;
}

AdaptIO& AdaptIO::operator<<(const char* text) {
    if (text) writeBytes(text, static_cast<long>(std::strlen(text)));
    return *this;
}

AdaptIO& AdaptIO::operator<<(int number) {
    char text[12];
    writeBytes(text, zor::formatInt(number, text));
    return *this;
}

AdaptIO& AdaptIO::operator<<(double number) {
    char text[zor::numberTextSize];
    writeBytes(text, zor::formatDouble(number, text));
    return *this;
}

int AdaptIO::deleteFile(const char* name) {
    if (!name || !name[0]) return 0;
    if (FileGuard guard = fileGuard.load()) return guard(name, accessDelete) == 0 ? 1 : 0;
    return unlink(name) == 0 ? 1 : 0;
}

const char* AdaptIO::getWriteError() const {
    return writeError;
}

void AdaptIO::setFileGuard(FileGuard guard) {
    fileGuard.store(guard);
}

const char* AdaptIO::getLockError() {
    return zor::outputLockError();
}

void AdaptIO::setLockWaitHook(void (*hook)(int holderPid)) {
    zor::setLockWaitHook(hook);
}

// Writes collect in the buffer; closeOut() puts them into the file before the
// write phase ends, so readers never see half of a block.
void AdaptIO::writeBytes(const char* bytes, long count) {
    if (outFile < 0) return;
    if (outUsed + count > bufferSize) flushOutput();
    if (count >= bufferSize) {
        if (!writeError[0]) noteWriteError(writeAll(outFile, bytes, count));
        return;
    }
    std::memcpy(outBuffer + outUsed, bytes, static_cast<size_t>(count));
    outUsed += static_cast<int>(count);
}

// Once bytes are lost the rest of the phase is dropped as well: bytes written
// after a gap would pass for an intact block.
void AdaptIO::flushOutput() {
    if (outFile >= 0 && outUsed > 0 && !writeError[0])
        noteWriteError(writeAll(outFile, outBuffer, outUsed));
    outUsed = 0;
}

void AdaptIO::noteWriteError(int error) {
    if (error == 0 || writeError[0]) return;
    char text[errorSize];
    const char* reason = strerror_r(error, text, sizeof text);
    std::snprintf(writeError, sizeof writeError, "%s", reason);
}
