// Whether a message box can reach a user. Qt ends the whole process when its
// platform plugin cannot connect, so a batch run asks before it creates the
// application and tells its news on stderr alone when the answer is no.
#pragma once

namespace viewer {

// True when Qt would draw on an X display (QT_QPA_PLATFORM unset or naming
// xcb) and that display accepts a connection now.
bool displayAnswers();

}  // namespace viewer
