#include "ScriptLines.h"

namespace zorserver {

int ScriptLines::lineOf(int position) {
    if (position < 0) return 0;
    if (position < counted) {
        offset = 0;
        counted = 0;
        line = 1;
    }
    for (; offset < text.size(); ++offset) {
        if (text[offset] == '\n') {
            ++line;
        } else if (counted == position) {
            return line;
        } else {
            ++counted;
        }
    }
    return 0;
}

}  // namespace zorserver
