// AdaptIO: reads one input file byte by byte and appends to one output file,
// holding the machine-wide output lock for every write phase.
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
    // the text stays readable after closeOut until the next openOut.
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
    // Called once, on the waiting thread, when one wait for the output lock
    // has lasted 2 s, with the holder's pid (0 when unknown); the wait then
    // goes on. None is installed by default, and a null hook removes it.
    static void setLockWaitHook(void (*hook)(int holderPid));

private:
    friend int zor::readInputBytes(AdaptIO& io, char* out, int max, bool& ended);
    static constexpr int bufferSize = 8192;
    static constexpr int errorSize = 128;

    bool refillInput();
    void writeBytes(const char* bytes, long count);
    void flushOutput();
    void noteWriteError(int error);

    char outFileName[nameSize];
    char inFileName[nameSize];
    int inFile;
    int outFile;
    int outputLock;
    // The lock file's identity: an output file that is the lock file would
    // take the lock that its own write phase then waits for.
    unsigned long lockDevice;
    unsigned long lockInode;
    int inPos;
    int inEnd;
    int outUsed;
    char writeError[errorSize];
    char inBuffer[bufferSize];
    char outBuffer[bufferSize];
};
