// The bodies of top-level records: where their entries go and the sections
// before and after "verify:".
#pragma once

namespace zor {

// A17, A18: a test or extern record's body. Line comments right after its "{"
// become line markers of the results, until the first path is complete.
void openTestBody();
void closeTestBody();
// A19: the entries before "verify:" are the test's in-data.
void targetInputStore();
// A20, A21: the entries after "verify:" are its expected data, with operators.
void beginVerifyEntries();
void endVerifyEntries();
// A22, A23, A24: a global-variable record's body.
void openGlobalBody();
void closeGlobalBody();
void targetGlobalVariables();

}  // namespace zor
