// A script's outline, asked of the library by the supervisor. Outlining sets
// the library's parse state aside while it reads, so no worker may be started
// from this process in the middle of it, and two threads may not outline at
// once: both go through the one lock here.
#pragma once

#include <sys/types.h>

#include <string>

#include "TestReach.h"
#include "TestSelection.h"
#include "script/ScriptOutline.h"

namespace zorrun {

// 0, the line of the script's first error, or below 0 when the script cannot
// be read (see Parse::outlineScript), which includes a script that is no
// regular file or is past the size limit (see CheckedScript).
int guardedOutline(const std::string& script, ScriptOutline& outline);
// The same without the lock, where no other thread can be outlining.
int outlineChecked(const std::string& script, ScriptOutline& outline);

// The outline and the tests a run of the script reaches by it, in one step:
// the selection is shared by every thread that starts workers.
int outlineReach(const std::string& script, const std::string& filter, TestSelection* selection,
                 ScriptOutline& outline, TestReach& reach);

// fork(), never while another thread outlines.
pid_t forkOutsideOutlines();

}  // namespace zorrun
