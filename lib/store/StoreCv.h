// StoreCv: a reference to one value of a record by its path. Reads convert the
// named element, assignments create or overwrite it, indexing builds member
// ("%s.%s") and item ("%s[%d]") paths. A reference never owns its record.
#pragma once

#include "FixedText.h"
#include "ZorExport.h"

class DataMap;

class ZORLIB_API StoreCv {
public:
    // The path holds at most 499 characters; a longer one is cut and reported
    // as "name truncated: " on the shared file object.
    static constexpr int nameSize = zor::fixedTextSize;

    StoreCv(DataMap* record, const char* path);
    StoreCv(const StoreCv& other);
    ~StoreCv() {}

    // The member path "path.member"; with a null member a copy of this reference.
    StoreCv operator[](const char* member) const;
    // The item path "path[index]".
    StoreCv operator[](int index) const;

    char* getName() { return name; }
    const char* getName() const { return name; }
    // The record, not the element.
    DataMap* getData() const { return record; }
    // 1 int, 2 double, 3 string; 0 when the element does not exist.
    int getType() const;

    // No conversion between types: another type reads as 0, 0.0 or "".
    operator int() const;
    operator double() const;
    // Points into the element, valid until it is rewritten or its record cleared.
    operator char*() const;

    // Assignments create the element at the end of the record or overwrite
    // (and retype) the present one; a null text counts as the empty string.
    StoreCv& operator=(int value);
    StoreCv& operator=(double value);
    StoreCv& operator=(const char* text);
    // A wide text of 16-bit units, narrowed to the low byte of each unit.
    StoreCv& operator=(const unsigned short* text);
    // Copies the other's value, or its whole sub-record, under this path.
    StoreCv& operator=(const StoreCv& other);
    // Grafts every element of the record under this path.
    StoreCv& operator=(const DataMap& source);

private:
    StoreCv(DataMap* record, const char* path, const char* joint, const char* member);

    char name[nameSize];
    DataMap* record;
};
