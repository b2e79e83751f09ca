// Links between trace records. The "//>" items and "//<" of a trace record are
// int elements; their values are links that this table of live trace records
// resolves. A link is never 0, and a stale or unknown one resolves to nothing,
// so no value stored in a record is ever taken for an address.
//
// The table has its own lock, always taken last and held only for one look-up:
// the record writer consults it while its caller may hold the output lock.
#pragma once

class DataMap;

namespace zor {

struct TraceRecord {
    DataMap* record;
    const DataMap* parent;  // null for an outermost record
    unsigned int thread;    // the thread whose scope made the record
    int root;               // link of the outermost record of its tree
    bool closing;           // set on the outermost record once its tree is finished
};

// Registers a record made for a scope below the record that parentLink names
// (0 for an outermost scope); its link, or 0 when the table cannot grow.
int addTraceRecord(DataMap* record, int parentLink, unsigned int thread);
// The record behind the link while its tree is still growing; false for a
// stale or unknown link and for a record of a finished tree.
bool findTraceRecord(int link, TraceRecord& found);
// Marks the tree of the outermost record as finished: its scopes can no
// longer reach it, and only the writer and the deletion follow its links.
void finishTree(int rootLink);
// The record behind the link when it is a child of parent, else null. A link
// copied into some other record therefore never leads into a foreign tree.
DataMap* childRecord(int link, const DataMap* parent);
// The same, and the record leaves the table: its deletion is the caller's.
DataMap* takeChildRecord(int link, const DataMap* parent);
// Takes the record out of the table, if it is there.
void removeTraceRecord(const DataMap* record);
// Trace records alive in the process.
int liveTraceRecords();

}  // namespace zor
