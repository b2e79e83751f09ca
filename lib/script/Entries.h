// Entries of a record body: named values, values of variables, and nested
// records, whose members are stored under the record's name with ".".
#pragma once

#include "script/ScriptText.h"

namespace zor {

// A25, A34, A35, A26: a nested record "path { entries }", grafted into the body
// around it when it closes. Opening fails beyond the deepest level.
void nameNestedRecord(const ScriptText& path);
int openNestedRecord();
void closeNestedRecord();
void endNestedRecord();

// A27: "path[]" names the list whose items follow (Lists.h).
void nameList(const ScriptText& path);

// A28, A29, A30: "target <value>" with an INTEGER, a FLOAT or a file name. A
// number that does not convert is an error.
int storeInteger(const ScriptText& target, const ScriptText& digits);
int storeFloat(const ScriptText& target, const ScriptText& number);
void storeText(const ScriptText& target, const ScriptText& text);
// A31: "target (path)": the value of a global variable, or its members.
int storeVariable(const ScriptText& target, const ScriptText& path);

}  // namespace zor
