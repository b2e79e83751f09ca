// AdaptIO: reads one input file byte by byte and appends to one output file.
// A write phase (openOut to closeOut) holds the output file's own lock, and by
// default the machine-wide output lock as well.
#pragma once

#include "ZorExport.h"

class AdaptIO;

namespace zor {
// Takes up to max input bytes at once for the library's scanner, every byte
// as it is (0xFF too, which getChar cannot tell from the end); ended tells
// that the end of the file was reached.
int readInputBytes(AdaptIO& io, char* out, int max, bool& ended);
}  // namespace zor

class ZORLIB_API AdaptIO {
public:
    // Name fields hold 255 characters and the terminating zero; longer names are refused.
    static constexpr int nameSize = 256;

    AdaptIO();
    ~AdaptIO();
    AdaptIO(const AdaptIO&) = delete;
    AdaptIO& operator=(const AdaptIO&) = delete;

    int openIn(const char* name);
    int openOut(const char* name);
    void closeIn();
    void closeOut();

    // The next byte as a signed value (0xFF reads as -1, like the end of the
    // file), or -1. Inline because the scanner takes every script byte here.
    int getChar() {
        if (inPos < inEnd) return static_cast<signed char>(inBuffer[inPos++]);
        return refillInput() ? static_cast<signed char>(inBuffer[inPos++]) : -1;
    }
    void putChar(char c);

    char* getInFileName();
    char* getOutFileName();

    AdaptIO& operator<<(const char* text);
    AdaptIO& operator<<(int number);
    AdaptIO& operator<<(double number);

    static int deleteFile(const char* name);

    // Why the current write phase lost bytes: the errno text of a failed or
    // short write (after the usual retries) or of a failed close; the empty
    // text when every byte went in. openOut starts a new phase and clears it;
    // the text stays readable after closeOut until the next openOut. An
    // openOut refused because the file is the output lock file says so here.
    const char* getWriteError() const;

    // What the library asks of a file guard.
    enum FileAccess { accessRead = 0, accessAppend = 1, accessDelete = 2 };
    // A host that confines the library's files installs a guard, which opens or
    // deletes on the library's behalf: for accessRead it returns a descriptor
    // open for reading; for accessAppend one open for writing (created with
    // mode 0666 when missing); for accessDelete 0 once the file is deleted;
    // -1 refuses or fails. openIn, openOut and deleteFile consult it, for every
    // AdaptIO object (the trace and broken-test writers included). None is
    // installed by default. A null guard removes it.
    using FileGuard = int (*)(const char* name, int access);
    static void setFileGuard(FileGuard guard);

    // "" when the machine-wide lock file is usable, otherwise "PATH: reason";
    // without it write phases go on unserialised, which hosts may warn of.
    static const char* getLockError();
    // The machine-wide lock file's path, which no output file may reach.
    static const char* getLockPath();
    // Called once, on the waiting thread, when one wait for the output lock
    // has lasted 2 s, with the holder's pid (0 when unknown); the wait then
    // goes on. None is installed by default, and a null hook removes it.
    static void setLockWaitHook(void (*hook)(int holderPid));
    // The same for a wait for an output file that another writer has, with
    // the file's name.
    static void setFileWaitHook(void (*hook)(const char* file, int holderPid));

    // Which locks a write phase takes, for every object of the process. Every
    // phase waits for the output file's own lock, so writers of one file take
    // turns whichever mode each of them is in. lockMachineWide (the default)
    // also waits for the machine-wide lock, so that at most one phase on the
    // machine runs at a time; lockPerFile leaves unrelated files side by side.
    enum LockMode { lockMachineWide = 0, lockPerFile = 1 };
    static void setLockMode(LockMode mode);
    static LockMode getLockMode();

private:
    friend int zor::readInputBytes(AdaptIO& io, char* out, int max, bool& ended);
    static constexpr int bufferSize = 8192;
    static constexpr int errorSize = 128;

    bool refillInput();
    void writeBytes(const char* bytes, long count);
    void flushOutput();
    void noteWriteError(int error);
    bool refusedAsLockFile();
    bool takeMachineLock();
    bool noteMachineLock();
    int endPhase();

    char outFileName[nameSize];
    char inFileName[nameSize];
    int inFile;
    int outFile;
    int outputLock;
    // The lock file's identity: an output file that is the lock file would
    // take the lock that its own write phase then waits for.
    unsigned long lockDevice;
    unsigned long lockInode;
    // This object's phase holds the machine-wide lock (an outer phase of the
    // same thread may hold it instead), and its output file's lock.
    bool holdsMachineLock;
    bool holdsFileLock;
    int inPos;
    int inEnd;
    int outUsed;
    char writeError[errorSize];
    char inBuffer[bufferSize];
    char outBuffer[bufferSize];
};
