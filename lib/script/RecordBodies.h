// The bodies of top-level records: where their entries go and the sections
// before and after "verify:".
#pragma once

namespace zor {

// record_body: "{" input_section verify_section "}"
// A test or extern record's body. Line comments right after its "{" become
// line markers of the results, until the first path is complete.
void openTestBody();
void closeTestBody();
// input_section: entries
// The entries before "verify:" are the test's in-data.
void targetInputStore();
// verify_section: "verify:" entries
// The entries after "verify:" are its expected data, with operators.
void beginVerifyEntries();
void endVerifyEntries();
// globals_body: "{" globals_section "}"  and  globals_section: entries
// A global-variable record's body.
void openGlobalBody();
void closeGlobalBody();
void targetGlobalVariables();

}  // namespace zor
