// The open documents' texts as the client last sent them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "Positions.h"

namespace zorlsp {

struct Document {
    std::string text;
    int version = 0;
};

struct TextChange {
    // No range replaces the whole text.
    std::optional<Position> start;
    std::optional<Position> end;
    std::string text;
};

class Documents {
public:
    void open(const std::string& uri, std::string text, int version);
    // False for a document that is not open.
    bool change(const std::string& uri, const TextChange& change, int version);
    void close(const std::string& uri);
    const Document* find(const std::string& uri) const;

private:
    std::map<std::string, Document> documents;
};

}  // namespace zorlsp
