// Lists: "path[] { items }". Every item takes the next number of its list and
// is stored under the list's name with "[" index "]", counted from 0.
#pragma once

#include "script/ScriptText.h"

namespace zor {

// A36, A37: the list's body. Opening fails beyond the deepest level.
int openList();
void closeList();

// A38, A39, A40: an INTEGER, FLOAT or file-name item, braced or not. A number
// that does not convert is an error.
int storeIntegerItem(const ScriptText& digits);
int storeFloatItem(const ScriptText& number);
void storeTextItem(const ScriptText& text);
// A41: "(path)": a variable's value, or its members, as the item.
int storeVariableItem(const ScriptText& path);
// A42, A43: a record item, braced entries or one bare entry.
int openRecordItem();
void storeRecordItem();
// A44: "{ }": the item's number is used up, nothing is stored.
void storeEmptyRecordItem();

}  // namespace zor
