// How the comparison report spells values, the same in every locale. Internal
// to the library: the report and the comparison value share it, so a host
// never sees a value spelled otherwise than the output file has it.
#pragma once

#include <string>

class StoreEl;

namespace zor {

bool knownType(int type);
// The type as the report names it before a path: "int ", "double ", "char* ".
const char* typeWord(int type);
// Appends the value of a known type: ints in decimal, or in hexadecimal with
// "0x" under a name that starts with "0x" or "(0x"; doubles with six
// decimals; texts in double quotes.
void appendValue(std::string& out, const StoreEl& element, const char* name);
// Appends the shortest text that reads back as the same double.
void appendShortest(std::string& out, double value);

}  // namespace zor
