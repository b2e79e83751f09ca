// The character classes of the script language, for ZorRun's own light reads
// of a script (its file names, its records' lines, hints): the same classes
// as the library's scanner.
#pragma once

namespace zorrun {

// Names start with a letter, '_' or ':' and go on with those and digits.
inline bool isNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Strings hold printable ASCII characters except '"' and '`'.
inline bool isStringChar(char c) {
    return c >= 0x20 && c <= 0x7e && c != '"' && c != '`';
}

}  // namespace zorrun
