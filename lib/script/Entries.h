// Entries of a record body: named values, values of variables, and nested
// records, whose members are stored under the record's name with ".".
#pragma once

#include "script/ScriptText.h"

namespace zor {

// entry: path nested_body  and  nested_body: "{" entries "}"
// A nested record, grafted into the body around it when it closes. Opening
// fails beyond the deepest level.
void nameNestedRecord(const ScriptText& path);
int openNestedRecord();
void closeNestedRecord();
void endNestedRecord();

// entry: path "[]" list_body
// Names the list whose items follow (Lists.h).
void nameList(const ScriptText& path);

// entry: compare_target (INTEGER | FLOAT | file_name)
// A number that does not convert is an error.
int storeInteger(const ScriptText& target, const ScriptText& digits);
int storeFloat(const ScriptText& target, const ScriptText& number);
void storeText(const ScriptText& target, const ScriptText& text);
// entry: compare_target "(" path ")"
// The value of a global variable, or its members.
int storeVariable(const ScriptText& target, const ScriptText& path);

}  // namespace zor
