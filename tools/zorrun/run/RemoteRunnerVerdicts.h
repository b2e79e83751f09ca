// The verdicts a test server sends, told as events once they are checked
// against the script read here: each must be the next test the run reaches,
// and every test the run reached must have one, or the run says what went
// missing.
#pragma once

#include "RemoteRunnerScript.h"
#include "ScriptEvents.h"
#include "protocol/RemoteExchange.h"

namespace zorrun {

// For a reply whose verdicts arrived whole (reply.verdictsSent).
void tellVerdicts(const remote::ExchangeReply& reply, const RemoteScript& script,
                  ScriptEvents& events);

// The tests of the run after the first told ones, as not run.
void tellNotRun(const RemoteScript& script, std::size_t told, const std::string& why,
                ScriptEvents& events);

std::string withoutLineEnd(std::string text);

}  // namespace zorrun
