// How the reports name a test and word an error, so that the console, the
// JUnit and JSON files and the page say the same thing.
#pragma once

#include <string>

#include "Events.h"

namespace zorrun {

// "login 404", or the name alone when the position is not known.
std::string testName(const std::string& name, int position);

// An error's reason with the test it struck: "test function crashed: SIGSEGV
// in login 404", "script ended early: ... inside login 404". A report that
// could not be written names no test: a full disk strikes every test alike.
std::string placedReason(const TestResult& result);

// "expected status == 200, actual 404": a failed entry as every report words it.
std::string entryText(const FailedEntry& entry);

// How many entries of a failed test did not hold, counted or not.
int failedEntryCount(const TestResult& result);

// A failed test in one line: its first failed entry, "(+3 more)" when more did
// not hold, or its reason (or one-line note) when no entry tells why.
std::string failureSummary(const TestResult& result);

// "order.txt:4:9" for an error with a place in its script, "" without one.
std::string errorPlace(const ScriptError& error);

// "order.txt:4:9: text", or the text alone when it has no place.
std::string placedText(const ScriptError& error);

}  // namespace zorrun
