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

#include "run/FileLock.h"
#include "run/NumberText.h"
#include "run/OutputLock.h"

namespace {

std::atomic<AdaptIO::FileGuard> fileGuard{nullptr};
std::atomic<AdaptIO::LockMode> lockMode{AdaptIO::lockMachineWide};

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

// Readers share a file and keep writers out. A reader does not wait: a file
// that is being written cannot be opened for reading.
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

// A name that reaches the lock file, by any path or link: deleting it would
// leave running writers serialised on a file that nobody else opens.
bool reachesLockFile(const char* name) {
    struct stat status;
    return lstat(name, &status) == 0 && zor::isOutputLockFile(status.st_dev, status.st_ino, 0);
}

int openLock(unsigned long& device, unsigned long& inode) {
    const int lock = zor::openOutputLock();
    struct stat status;
    if (lock >= 0 && fstat(lock, &status) == 0) {
        device = status.st_dev;
        inode = status.st_ino;
    }
    return lock;
}

}  // namespace

// Only hosts that serialise machine-wide open the lock file, and they open it
// here, before a host may wall its process off from the shared directory.
AdaptIO::AdaptIO()
    : outFileName{},
      inFileName{},
      inFile(-1),
      outFile(-1),
      outputLock(-1),
      lockDevice(0),
      lockInode(0),
      holdsMachineLock(false),
      holdsFileLock(false),
      inPos(0),
      inEnd(0),
      outUsed(0),
      writeError{} {
    if (lockMode.load() == lockMachineWide) outputLock = openLock(lockDevice, lockInode);
}

// The phase's bytes go in before its locks are dropped; closing the lock's
// descriptor drops the machine-wide lock, should the phase still hold it.
AdaptIO::~AdaptIO() {
    closeIn();
    endPhase();
    if (holdsMachineLock) zor::addMachinePhase(-1);
    zor::closeOutputLock(outputLock);
}

int AdaptIO::openIn(const char* name) {
    closeIn();
    if (!takeName(inFileName, name)) return 0;
    inFile = openForReading(inFileName);
    if (inFile >= 0 && !isDirectory(inFile) && shareFile(inFile, LOCK_SH)) {
        zor::noteFileHeld(inFile);  // a write of it by this thread would wait for itself
        return 1;
    }
    closeFile(inFile);
    inFileName[0] = '\0';
    return 0;
}

// The machine-wide lock is taken before the file's, and a phase that holds a
// file's lock without it never waits for it, so no two writers can wait for
// each other. The waits come after the open, so a file that cannot be opened
// never blocks.
int AdaptIO::openOut(const char* name) {
    if (outFile >= 0) endPhase();  // the machine-wide lock stays: the caller still owns the phase
    writeError[0] = '\0';
    if (takeName(outFileName, name)) outFile = openForAppending(outFileName);
    if (outFile >= 0 && !refusedAsLockFile() && takeMachineLock() &&
        zor::takeFileLock(outFile, outFileName) == zor::FileTurn::taken) {
        zor::noteFileHeld(outFile);
        holdsFileLock = true;
        return 1;
    }
    closeOut();
    return 0;
}

void AdaptIO::closeIn() {
    if (inFile >= 0) zor::noteFileReleased(inFile);
    closeFile(inFile);
    inFileName[0] = '\0';
    inPos = inEnd = 0;
}

void AdaptIO::closeOut() {
    if (const int error = endPhase()) noteWriteError(error);
    outFileName[0] = '\0';
    if (!holdsMachineLock) return;
    zor::releaseOutputLock(outputLock);
    zor::addMachinePhase(-1);
    holdsMachineLock = false;
}

// Closes the output file, which drops its lock; the errno of a failed close.
int AdaptIO::endPhase() {
    flushOutput();
    if (holdsFileLock) zor::noteFileReleased(outFile);
    holdsFileLock = false;
    return closeFile(outFile);
}

// Writing into the lock file would take the very lock that machine-wide
// phases wait for, and hide the report where nobody reads it. Only the lock's
// identity is compared; its name may be reached through any path or link.
bool AdaptIO::refusedAsLockFile() {
    struct stat status;
    if (fstat(outFile, &status) != 0) return false;
    const bool isLock = outputLock >= 0 && outputLock != outFile
                            ? status.st_dev == lockDevice && status.st_ino == lockInode
                            : zor::isOutputLockFile(status.st_dev, status.st_ino, status.st_size);
    if (isLock) std::snprintf(writeError, sizeof writeError, "it is the output lock file");
    return isLock;
}

// Returns false only to refuse the phase; a lock file that cannot be had
// leaves the phase unserialised, as getLockError tells hosts.
bool AdaptIO::takeMachineLock() {
    if (lockMode.load() != lockMachineWide || holdsMachineLock ||
        zor::machinePhasesOfThisThread() > 0)
        return true;
    // The output file taking the lock's number tells, without a system call,
    // that the lock was closed behind the object's back (by code that closes
    // what it did not open); a closed number fails to lock. Either way the
    // number is no longer ours to close. None yet: the mode changed since the
    // object was made, or the lock file was unusable then.
    const bool ours = outputLock >= 0 && outputLock != outFile;
    if (ours && zor::takeOutputLock(outputLock)) return noteMachineLock();
    outputLock = openLock(lockDevice, lockInode);
    if (outputLock < 0 || !zor::takeOutputLock(outputLock)) return true;
    noteMachineLock();
    return !refusedAsLockFile();  // the lock's identity is known only now
}

bool AdaptIO::noteMachineLock() {
    zor::addMachinePhase(1);
    holdsMachineLock = true;
    return true;
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
    if (!name || !name[0] || reachesLockFile(name)) return 0;
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

const char* AdaptIO::getLockPath() {
    return zor::outputLockPath();
}

void AdaptIO::setLockWaitHook(void (*hook)(int holderPid)) {
    zor::setLockWaitHook(hook);
}

void AdaptIO::setFileWaitHook(void (*hook)(const char* file, int holderPid)) {
    zor::setFileWaitHook(hook);
}

void AdaptIO::setLockMode(LockMode mode) {
    lockMode.store(mode);
}

AdaptIO::LockMode AdaptIO::getLockMode() {
    return lockMode.load();
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
