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
    virtual int selectionStart() const = 0;
    virtual int selectionEnd() const = 0;
    virtual void select(int start, int end) = 0;
    // Gives the pane the focus and puts the caret at pos, selecting nothing.
    virtual void focusCaret(int pos) = 0;
};

// The first match of needle lying wholly within [from, to), compared without
// regard to case (Latin-1 letters included); -1 when there is none.
int findText(std::string_view text, std::string_view needle, int from, int to);

// Selects the next match after the selection; without one, the caret goes to
// the end of the text.
void searchForward(TextPane& pane, std::string_view needle);

// Selects the last match that ends at or before the selection's start;
// without one, the caret goes to the start of the text.
void searchBackward(TextPane& pane, std::string_view needle);

enum class SearchDirection { backward, forward };

// The search buttons: nothing happens without a pane, with an empty search
// text, or while the pane shows the graphic display instead of text.
void search(TextPane* pane, bool showsGraphic, std::string_view needle, SearchDirection direction);

}  // namespace viewer
