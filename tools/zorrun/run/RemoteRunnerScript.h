// What a remote run is judged against: the script as the library reads it
// here, without running anything or touching a file. The server runs the
// same bytes, so its tests are these, in this order.
#pragma once

#include <string>
#include <vector>

#include "ZorLib.h"

namespace zorrun {

struct RemoteScript {
    bool known = false;  // false when the library could not read the script here
    ScriptOutline outline;
    // The test records a run with the request's filter reaches, in order:
    // those before the first error.
    std::vector<OutlineRecord> reached;
};

RemoteScript readRemoteScript(const std::string& script, const std::string& filter);

// "login 57", as the console and a filter name a test.
std::string testLabel(const std::string& name, int position);

// True when the run stopped where the script read here stops: at the same
// error, or at its end (line 0).
bool stopsAlike(const RemoteScript& script, int errLine, int errPos);

// The column of an error the server reported: the outline's where the error
// is the one read here, the position otherwise.
int errorColumnOf(const RemoteScript& script, int errLine, int errPos);

}  // namespace zorrun
