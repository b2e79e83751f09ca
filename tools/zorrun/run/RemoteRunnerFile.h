// A run on a test server that sends no verdicts, judged from the output file
// it sent back, and only where that file can tell this run's verdicts: the
// script writes one file, named in it, never deleted after a test, and the
// file holds one report block for each test the run reached, in order, and
// nothing else but the script's error.
#pragma once

#include "RemoteRunnerScript.h"
#include "ScriptEvents.h"
#include "protocol/RemoteExchange.h"

namespace zorrun {

// Tells the verdicts, or "cannot judge this run: REASON" as a script error.
void judgeOutputFile(const remote::ExchangeReply& reply, const RemoteScript& script,
                     ScriptEvents& events);

}  // namespace zorrun
