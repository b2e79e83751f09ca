// The completion of a record at its closing brace.
#pragma once

namespace zor {

// Completes the record of the current level: at level 0 a top-level record
// (runs a test, collects an extern record, or answers a filter that selects
// global variables), above it a nested record, which is grafted into its
// parent. Answers 1 when the parse is to stop, else 0.
int endRecord();

}  // namespace zor
