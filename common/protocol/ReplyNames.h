// Which output file names a client writes from a reply. The server names the
// file, but only the script may choose it: a name is taken when the script's
// own resultfile statement names it, or, where the script builds the name at
// run time, when it lies beneath a folder the user named for such files.
// Both sides compare names in one normal form, so that a name the server
// sends is never one that its client refuses.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "script/ScriptOutline.h"

namespace remote {

// The name relative to the current folder with its "." steps and repeated
// slashes dropped; "" for a name that no client takes: empty, absolute, with
// a ".." step, or ending in a folder ("out/", ".").
std::string normalReplyName(std::string_view name);

// The folder a user names for output files built at run time, in normal
// form relative to the current folder; "" when it is not a folder beneath it
// (the current folder itself would let every name in).
std::string outputFolderName(const std::string& folder);

class ReplyNameRule {
public:
    // Takes no name: a script that names no output file gets none back.
    ReplyNameRule() = default;
    // The names of the script's resultfile statements; a computed one lets
    // in names beneath outputFolder ("": none).
    ReplyNameRule(const std::vector<OutlineFile>& files, const std::string& outputFolder);

    // One more name the script names.
    void allow(std::string_view name);
    bool admits(std::string_view name) const;

private:
    std::set<std::string, std::less<>> names;
    bool computed = false;
    std::string folder;
};

}  // namespace remote
