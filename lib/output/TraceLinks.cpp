#include "output/TraceLinks.h"

#include <climits>
#include <mutex>
#include <new>
#include <unordered_map>

namespace zor {

namespace {

class LinkTable {
public:
    int add(DataMap* record, int parentLink, unsigned int thread) {
        std::lock_guard<std::mutex> hold(lock);
        TraceRecord entry{record, nullptr, thread, 0, false};
        if (parentLink != 0) {
            auto parent = byLink.find(parentLink);
            if (parent == byLink.end()) return 0;
            entry.parent = parent->second.record;
            entry.root = parent->second.root;
        }
        int link = unusedLink();
        if (entry.root == 0) entry.root = link;
        try {
            byRecord.emplace(record, link);
            byLink.emplace(link, entry);
        } catch (const std::bad_alloc&) {
            byRecord.erase(record);
            return 0;
        }
        return link;
    }

    bool find(int link, TraceRecord& found) {
        std::lock_guard<std::mutex> hold(lock);
        auto entry = byLink.find(link);
        if (entry == byLink.end()) return false;
        auto root = byLink.find(entry->second.root);
        if (root == byLink.end() || root->second.closing) return false;
        found = entry->second;
        return true;
    }

    void finish(int rootLink) {
        std::lock_guard<std::mutex> hold(lock);
        auto root = byLink.find(rootLink);
        if (root != byLink.end()) root->second.closing = true;
    }

    DataMap* child(int link, const DataMap* parent, bool take) {
        std::lock_guard<std::mutex> hold(lock);
        auto entry = byLink.find(link);
        if (entry == byLink.end() || entry->second.parent != parent) return nullptr;
        DataMap* record = entry->second.record;
        if (take) {
            byRecord.erase(record);
            byLink.erase(entry);
        }
        return record;
    }

    void remove(const DataMap* record) {
        std::lock_guard<std::mutex> hold(lock);
        auto entry = byRecord.find(record);
        if (entry == byRecord.end()) return;
        byLink.erase(entry->second);
        byRecord.erase(entry);
    }

    int size() {
        std::lock_guard<std::mutex> hold(lock);
        return static_cast<int>(byLink.size());
    }

private:
    // Counts up through the positive ints and starts again at 1, passing over
    // links still in use, so a long-lived record keeps its link unique.
    int unusedLink() {
        do {
            nextLink = nextLink == INT_MAX ? 1 : nextLink + 1;
        } while (byLink.count(nextLink) != 0);
        return nextLink;
    }

    std::mutex lock;
    std::unordered_map<int, TraceRecord> byLink;
    std::unordered_map<const DataMap*, int> byRecord;
    int nextLink = 0;
};

// Never destroyed, like the scope table, for scopes that close at process exit.
LinkTable& linkTable() {
    static auto* table = new LinkTable;
    return *table;
}

}  // namespace

int addTraceRecord(DataMap* record, int parentLink, unsigned int thread) {
    return linkTable().add(record, parentLink, thread);
}

bool findTraceRecord(int link, TraceRecord& found) {
    return linkTable().find(link, found);
}

void finishTree(int rootLink) {
    linkTable().finish(rootLink);
}

DataMap* childRecord(int link, const DataMap* parent) {
    return linkTable().child(link, parent, false);
}

DataMap* takeChildRecord(int link, const DataMap* parent) {
    return linkTable().child(link, parent, true);
}

void removeTraceRecord(const DataMap* record) {
    linkTable().remove(record);
}

int liveTraceRecords() {
    return linkTable().size();
}

}  // namespace zor
