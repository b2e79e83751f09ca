// The files a script writes or deletes, found before it runs so that scripts
// sharing one never run at the same time. The scan follows the library's
// scanner: comments and strings are skipped as it skips them, and only a
// "resultfile" or "deletefile" token counts.
#pragma once

#include <string>
#include <vector>

namespace zorrun {

struct ScriptFileNames {
    // Absolute and without "." or "..", so that two spellings of one file match.
    std::vector<std::string> names;
    // A name made of variables, or a script that cannot be read: it may touch
    // any file.
    bool unknown = false;
};

ScriptFileNames scanFileNames(const std::string& scriptText);
ScriptFileNames findFileNames(const std::string& script);

// Two scripts must not run at the same time.
bool shareFiles(const ScriptFileNames& first, const ScriptFileNames& second);

}  // namespace zorrun
