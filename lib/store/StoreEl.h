// StoreEl: one named, typed value (int, double or string) of a record.
// Elements come from a process-wide pool of 100-slot blocks; names and string
// values that do not fit the inline buffers live in string-heap blocks, and
// texts too long for the string heap in blocks of the general heap.
#pragma once

#include <cstddef>

#include "ZorExport.h"
#include "store/AvlTree.h"

namespace zor {
class ElementAccess;
}

class ZORLIB_API StoreEl : public LOCAL_DAT {
public:
    enum Type { typeUndefined = 0, typeInt = 1, typeDouble = 2, typeString = 3 };
    // Inline buffers: a name of up to 39 characters and a string value of up
    // to 38 characters need no heap block.
    static constexpr int inlineSize = 40;

    // The name is copied; a null name or value counts as the empty string.
    StoreEl(const char* name, int value);
    StoreEl(const char* name, double value);
    StoreEl(const char* name, const char* value);
    ~StoreEl();
    StoreEl(const StoreEl&) = delete;
    StoreEl& operator=(const StoreEl&) = delete;

    // The name buffer itself; a caller may rewrite it in place but must keep its length.
    char* getName() const { return name; }
    int getType() const { return type; }
    // Capacity in bytes of the value buffer.
    int getLen() const { return len; }
    // The value buffer, through which callers read and write the value.
    void* getData() const { return data; }
    StoreEl* getNext() const { return next; }
    void setNext(StoreEl* element) { next = element; }
    // Overwrites the type without touching the value.
    void setType(int newType) { type = newType; }
    // Installs a block of blockLen bytes, obtained from the store's text block
    // allocator with that size, as the value buffer and releases the present
    // one; a null block is ignored. The caller copies the value in afterwards.
    void setData(void* block, int blockLen);

    void setMark() { mark = 'X'; }
    void clearMark() { mark = ' '; }
    int getMark() const { return mark == 'X' ? 1 : 0; }

    // Requests of the element's own size are served from the pool (null when
    // the general heap has no block); every other size goes to the general heap.
    static void* operator new(std::size_t size) noexcept;
    static void operator delete(void* slot, std::size_t size) noexcept;

private:
    friend class zor::ElementAccess;
    friend class DataMap;

    // Where the name buffer lives; a borrowed name belongs to the caller of a
    // look-up and is never released.
    enum NameSource : unsigned char { nameInline, nameBlock, nameBorrowed };
    struct BorrowName {};

    // A search key that points at the wanted text instead of copying it, so
    // that names of any length are compared whole and no heap is used.
    StoreEl(BorrowName, const char* wanted);

    bool initName(const char* text);
    bool initText(const char* value);
    void releaseName();
    void releaseData();

    // The name comes first so that a look-up, which reads only the name, finds
    // it in the element's first cache line (pool blocks are cache-line aligned).
    char* name = inlineName;
    char inlineName[inlineSize];
    int type;
    int len = inlineSize;
    StoreEl* next = nullptr;
    void* data = inlineValue;
    char inlineValue[inlineSize];
    char mark = ' ';
    NameSource nameSource = nameInline;
    int nameLen = 0;  // size of the name block when nameSource is nameBlock

    static StoreEl* start;
    static StoreEl* end;
    static StoreEl* list;
    static int ctr;
};
