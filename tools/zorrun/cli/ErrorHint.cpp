#include "ErrorHint.h"

namespace zorrun {

// A quote the scanner took alone opens a string that a character it cannot
// hold (or the line's end) kept from closing.
std::string errorHint(std::string_view errorToken) {
    if (errorToken == "\"") return "strings hold printable ASCII characters except \" and `";
    return "";
}

}  // namespace zorrun
