// AdaptIO: reads one input file byte by byte and appends to one output file,
// holding the machine-wide output lock for every write phase.
#pragma once

#include "ZorExport.h"

class AdaptIO;

namespace zor {
// Takes up to max input bytes at once for the library's scanner: the bytes
// getChar would give, up to the end of the file or a byte 0xFF (which getChar
// gives as -1, like the end); ended tells that one of those was reached.
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

private:
    friend int zor::readInputBytes(AdaptIO& io, char* out, int max, bool& ended);
    static constexpr int bufferSize = 8192;

    bool refillInput();
    void writeBytes(const char* bytes, long count);
    void flushOutput();

    char outFileName[nameSize];
    char inFileName[nameSize];
    int inFile;
    int outFile;
    int outputLock;
    int inPos;
    int inEnd;
    int outUsed;
    char inBuffer[bufferSize];
    char outBuffer[bufferSize];
};
