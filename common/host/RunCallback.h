// What every host of the library shares when it runs scripts: the callback it
// hands to Parse::parseLoop, and the echo test registered under "zortst".
#pragma once

// Runs the native test function registered under the current test's name and
// answers 1; for an unknown name records "unknown testfunction" as the test's
// result and answers 0, which fails the test. An exception that escapes the
// test function fails the test the same way, with "test function threw: WHAT"
// as its result: no exception may cross into the library.
int runCallback();

// The message of the exception that escaped the last test function that
// runCallback ran, or null when that function returned normally.
const char* escapedException();

// Copies the whole input record of the current test into its output record, so
// that a test named "zortst" echoes its input data as its result.
void echoTest();
