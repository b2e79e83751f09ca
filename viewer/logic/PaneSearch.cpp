#include "PaneSearch.h"

#include <algorithm>

namespace viewer {

namespace {

// Lower case of a Latin-1 character: A-Z and the accented capitals
// (0xC0-0xDE, except the multiplication sign 0xD7).
unsigned char folded(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return static_cast<unsigned char>(u + 32);
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<unsigned char>(u + 32);
    return u;
}

bool sameFolded(char a, char b) {
    return folded(a) == folded(b);
}

}  // namespace

int findText(std::string_view text, std::string_view needle, int from, int to) {
    const int length = static_cast<int>(text.size());
    from = std::clamp(from, 0, length);
    to = std::clamp(to, from, length);
    if (needle.empty()) return -1;
    const std::string_view range = text.substr(from, to - from);
    const auto found =
        std::search(range.begin(), range.end(), needle.begin(), needle.end(), sameFolded);
    if (found == range.end()) return -1;
    return from + static_cast<int>(found - range.begin());
}

namespace {

int lastMatch(std::string_view text, std::string_view needle, int limit) {
    int last = -1;
    for (int found = findText(text, needle, 0, limit); found >= 0;
         found = findText(text, needle, found + 1, limit)) {
        last = found;
    }
    return last;
}

SearchOutcome markFound(TextPane& pane, int found, int length, bool wrapped) {
    if (found < 0) return SearchOutcome::notFound;
    pane.markMatch(found, found + length);
    return wrapped ? SearchOutcome::wrapped : SearchOutcome::found;
}

}  // namespace

SearchOutcome searchForward(TextPane& pane, std::string_view needle) {
    const std::string text = pane.text();
    const int size = static_cast<int>(text.size());
    const int length = static_cast<int>(needle.size());
    const int found = findText(text, needle, pane.markEnd(), size);
    if (found >= 0) return markFound(pane, found, length, false);
    return markFound(pane, findText(text, needle, 0, size), length, true);
}

SearchOutcome searchBackward(TextPane& pane, std::string_view needle) {
    const std::string text = pane.text();
    const int length = static_cast<int>(needle.size());
    const int found = lastMatch(text, needle, pane.markStart());
    if (found >= 0) return markFound(pane, found, length, false);
    return markFound(pane, lastMatch(text, needle, static_cast<int>(text.size())), length, true);
}

SearchOutcome search(TextPane* pane, bool showsGraphic, std::string_view needle,
                     SearchDirection direction) {
    if (!pane || showsGraphic || needle.empty()) return SearchOutcome::notSearched;
    return direction == SearchDirection::forward ? searchForward(*pane, needle)
                                                 : searchBackward(*pane, needle);
}

std::string searchOutcomeText(SearchOutcome outcome, std::string_view needle) {
    switch (outcome) {
        case SearchOutcome::notFound:
            return "not found: " + std::string(needle);
        case SearchOutcome::wrapped:
            return "search wrapped around: " + std::string(needle);
        default:
            return {};
    }
}

}  // namespace viewer
