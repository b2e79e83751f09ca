// Scans a script file token by token, the way the parser asks for tokens, and
// shows each token as its kind and text ("IDENT login", "{", "OTHER [").
#pragma once

#include <string>
#include <vector>

#include "TempDir.h"
#include "run/AdaptIO.h"

namespace scantest {

class ScanSession {
public:
    // Writes the script and makes it the scanner's input.
    explicit ScanSession(const std::string& script);
    ~ScanSession();
    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;

    // The next token shown as text; "" at the end of the input.
    std::string next();
    // All remaining tokens.
    std::vector<std::string> rest();

private:
    zortest::TempDir dir;
    AdaptIO io;
};

// The tokens of a whole script.
std::vector<std::string> tokensOf(const std::string& script);

}  // namespace scantest
