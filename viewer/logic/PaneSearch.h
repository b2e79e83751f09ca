// Searching the text of a pane, forward from the selection or backward to it.
#pragma once

#include <string>
#include <string_view>

namespace viewer {

// What the search needs of a text pane. Positions count characters, every
// line break as one.
class TextPane {
public:
    virtual ~TextPane() = default;
    // One byte per character, line breaks as '\n'.
    virtual std::string text() const = 0;
    // Where the search goes on from: the last match while the caret stays
    // at it, otherwise the user's selection or the caret.
    virtual int markStart() const = 0;
    virtual int markEnd() const = 0;
    // Marks a match without selecting it, so that a later run never takes
    // it for a test the user chose.
    virtual void markMatch(int start, int end) = 0;
};

// The first match of needle lying wholly within [from, to), compared without
// regard to case (Latin-1 letters included); -1 when there is none.
int findText(std::string_view text, std::string_view needle, int from, int to);

enum class SearchOutcome { found, wrapped, notFound, notSearched };

// Marks the next match after the mark, or the first one from the start.
SearchOutcome searchForward(TextPane& pane, std::string_view needle);

// Marks the last match that ends at or before the mark's start, or the last
// one of the text.
SearchOutcome searchBackward(TextPane& pane, std::string_view needle);

enum class SearchDirection { backward, forward };

// Nothing is searched without a pane, with an empty search text, or while
// the pane shows the graphic display instead of text.
SearchOutcome search(TextPane* pane, bool showsGraphic, std::string_view needle,
                     SearchDirection direction);

// What the status line says of an outcome; empty for a plain match.
std::string searchOutcomeText(SearchOutcome outcome, std::string_view needle);

}  // namespace viewer
