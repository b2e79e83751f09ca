// Lists: "path[] { items }". Every item takes the next number of its list and
// is stored under the list's name with "[" index "]", counted from 0.
#pragma once

#include "script/ScriptText.h"

namespace zor {

// list_body: "{" items "}"
// Opening fails beyond the deepest level.
int openList();
void closeList();

// item: INTEGER | FLOAT | file_name, each also in "{" "}"
// A number that does not convert is an error.
int storeIntegerItem(const ScriptText& digits);
int storeFloatItem(const ScriptText& number);
void storeTextItem(const ScriptText& text);
// item: "(" path ")"
// A variable's value, or its members, as the item.
int storeVariableItem(const ScriptText& path);
// item: entry | "{" entries "}"
// A record item.
int openRecordItem();
void storeRecordItem();
// item: "{" "}"
// The item's number is used up, nothing is stored.
void storeEmptyRecordItem();

}  // namespace zor
