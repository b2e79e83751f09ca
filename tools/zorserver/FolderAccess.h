// Names that arrive from a client, resolved beneath the server's folder in
// one step with the open, so that a symbolic link swapped in between cannot
// lead out. Absolute names, ".." components and links that leave the folder
// fail with EXDEV.
#pragma once

#include <sys/types.h>

#include <string>

#include "host/PosixFiles.h"

namespace zorserver {

using host::openBeneath;

// Unlinks the name's last component inside its parent folder, which is
// resolved beneath the folder; a link there is removed, never followed.
// 0, or -1 with errno.
int removeBeneath(int folderFd, const std::string& name);

// Whether a failure of the two above means that the name leads out.
bool leadsOutside(int error);

// Whether the open file has more than one name: one may lie outside the
// folder, where neither writing to it nor reading it back may reach.
bool isHardLinked(int fd);

// Whether this kernel resolves names beneath a folder (openat2, Linux 5.6).
bool canOpenBeneath(int folderFd);

}  // namespace zorserver
