// The files a script writes or deletes, from its outline, so that scripts
// sharing one never run at the same time. A file is known by what it is, not
// by how it is spelled: two names that reach one file (a symbolic link, "..")
// are one.
#pragma once

#include <string>
#include <vector>

#include "script/ScriptOutline.h"

namespace zorrun {

struct ScriptFileNames {
    // Each file's identities (see fileIdentities), sorted, each once.
    std::vector<std::string> names;
    // A name computed at run time, or a script that cannot be read: it may
    // touch any file.
    bool unknown = false;
};

// The identities of the file a name reaches, through every symbolic link:
// its resolved folder's device and inode with its last name part (a file not
// there yet has this one too), and an existing file's own device and inode
// (which a hard link elsewhere shares). Two names reach one file when they
// share an identity, whether the file was there when each was looked at or
// not. A name whose folder cannot be reached stays as it is spelled, made
// absolute. Sorted.
std::vector<std::string> fileIdentities(const std::string& name);

// The script itself counts among its files, so that its repeated runs keep
// their order. outlined is what outlining it answered.
ScriptFileNames scriptFiles(const std::string& script, const ScriptOutline& outline, int outlined);

// Two scripts must not run at the same time.
bool shareFiles(const ScriptFileNames& first, const ScriptFileNames& second);

}  // namespace zorrun
