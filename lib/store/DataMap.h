// DataMap: a record, a named flat collection of elements kept in a tree ordered
// by name (for look-up) and in a list in order of addition (for output).
// Sub-records and lists are held as elements whose names are paths.
#pragma once

#include "FixedText.h"
#include "ZorExport.h"
#include "store/AvlTree.h"
#include "store/StoreEl.h"

class AdaptIO;
class StoreCv;

class ZORLIB_API DataMap : public AVL_TREE {
public:
    // The name holds at most 499 characters and the terminating zero.
    static constexpr int nameSize = zor::fixedTextSize;

    // An empty record named "DataMap".
    DataMap();
    // An empty record named "DataMap" holding the sub-record that ref names.
    DataMap(const StoreCv& ref);
    // A deep copy: the new record owns copies of the other's elements.
    DataMap(const DataMap& other);
    ~DataMap() override;

    // Deletes every element; the name stays.
    void clear();
    // Appends the element (the record owns it from now on); equal names are kept.
    void appElem(StoreEl* element);

    // The named element, or null; with a null name the first element added.
    StoreEl* getData(const char* elementName) const;
    // The type of the named element; 0 when it is not present or the name is null.
    int getType(const char* elementName) const;

    char* getName() { return name; }
    const char* getName() const { return name; }
    // Names longer than 499 characters are cut at 499; null gives the empty name.
    void setName(const char* newName);

    // The value reference of this record and the given path; nothing is looked up yet.
    StoreCv operator[](const char* path);

    // Deep copy; a name present twice in other yields one element with the last value.
    DataMap& operator=(const DataMap& other);
    // Extraction: the members of the sub-record or list that ref names, their
    // names stripped of ref's path ("pos.x" -> "x", "list[3].a" -> "3].a").
    DataMap& operator=(const StoreCv& ref);

    // 1 if some element's name begins with the text, else 0 (also for null or empty).
    int hasPrefix(const char* prefix) const;

    // Writes the comparison report of this (expected) record against the logged
    // one and answers whether anything failed; it lives with the report writer.
    int differ(AdaptIO& out, DataMap& logged, int pass);

    // Byte-wise, case-sensitive order of the elements' names.
    int compare(LOCAL_DAT* a, LOCAL_DAT* b) const override;

private:
    StoreEl* find(const char* elementName) const;
    void assignCopy(const StoreEl& source);
    void extractFrom(const DataMap& source, const char* path);
    void takeElements(DataMap& from);

    char name[nameSize];
    StoreEl* first;
    StoreEl* last;
};
