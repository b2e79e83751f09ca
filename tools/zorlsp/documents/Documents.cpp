#include "Documents.h"

#include <algorithm>
#include <utility>

namespace zorlsp {

void Documents::open(const std::string& uri, std::string text, int version) {
    documents[uri] = Document{std::move(text), version};
}

bool Documents::change(const std::string& uri, const TextChange& change, int version) {
    const auto found = documents.find(uri);
    if (found == documents.end()) return false;
    Document& document = found->second;
    if (!change.start || !change.end) {
        document.text = change.text;
    } else {
        const std::size_t from = offsetOf(document.text, *change.start);
        // An end before the start (a confused client) removes nothing.
        const std::size_t to = std::max(from, offsetOf(document.text, *change.end));
        document.text.replace(from, to - from, change.text);
    }
    document.version = version;
    return true;
}

void Documents::close(const std::string& uri) {
    documents.erase(uri);
}

const Document* Documents::find(const std::string& uri) const {
    const auto found = documents.find(uri);
    return found == documents.end() ? nullptr : &found->second;
}

}  // namespace zorlsp
