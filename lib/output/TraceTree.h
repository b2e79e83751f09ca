// Building a thread's trace tree: a record per traced scope, linked to its
// parent by the bookkeeping elements.
#pragma once

class DataMap;

namespace zor {

// Makes the record of a scope named name at the given depth (1 for an
// outermost scope), registers it and, with a parent, appends it as the
// parent's next child. Its link, or 0 when memory ran short; nothing is then
// left behind but, at worst, a link in the parent that resolves to nothing.
int makeTraceRecord(const char* name, DataMap* parent, int parentLink, int depth,
                    unsigned int thread);

}  // namespace zor
