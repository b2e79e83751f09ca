// The words and values of the remote settings dialog, apart from its widgets.
#pragma once

#include <string>
#include <string_view>

namespace remote {

// "connected" for the connected state, "disconnected" for every other.
std::string stateWord(int state);

// The status word for applyRemote's result ("connected", "no host", ...).
std::string statusWord(int result);

// The check box after Apply: a failed connect clears it and "ignored" shows
// the actual state, so that it always shows whether the viewer is connected.
bool boxAfterApply(int result, bool ticked);

// The decimal number at the start of the port field ("%d"); 0 when the field
// does not start with one or it is beyond an int.
int portFieldValue(std::string_view text);

}  // namespace remote
