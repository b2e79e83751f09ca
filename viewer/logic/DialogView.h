// What the viewer's commands need of the main dialog: its panes and fields.
// The dialog implements it; the commands stay free of any widget toolkit.
#pragma once

#include <string>
#include <vector>

#include "RunEngines.h"
#include "TextForm.h"

namespace viewer {

// The answers to the question about unsaved edits.
enum class UnsavedAnswer { save, discard, cancel };

struct PaneSelection {
    int start = 0;
    int end = 0;
    std::string text;  // line breaks as '\n'
};

class DialogView {
public:
    virtual ~DialogView() = default;

    // The input file's name (field "Inputfile").
    virtual std::string inputFileName() const = 0;
    // Whether the output pane shows the graphic display instead of text.
    virtual bool graphicMode() const = 0;

    // Script pane: its text in the pane's encoding, line breaks as '\n'.
    // Positions are byte offsets in that text, as the library counts them.
    virtual std::string scriptText() const = 0;
    virtual PaneSelection scriptSelection() const = 0;
    virtual void setScriptText(const std::string& text, TextEncoding encoding) = 0;
    // The first character of the pane that its encoding cannot hold, in
    // UTF-8; empty when every character fits.
    virtual std::string unencodableCharacter() const = 0;
    // The unsaved mark: whether the pane differs from what was last read or
    // saved. Setting the text or saving clears it.
    virtual bool scriptUnsaved() const = 0;
    virtual void setScriptSaved() = 0;
    // The modified mark: whether the script changed since it was last sent to
    // a test server. Editing the pane sets it too.
    virtual bool scriptModified() const = 0;
    virtual void markScriptModified() = 0;
    virtual void clearScriptModified() = 0;
    // Marks the characters [start, end) of the script pane as the place of
    // the run's error and puts the caret there, selecting nothing: only a
    // selection the user made picks a test. An empty range removes the mark.
    virtual void markScript(int start, int end) = 0;

    // Output pane and the output field (field "Outputfile").
    virtual void setOutputText(const std::string& text) = 0;
    virtual void outputCaretToEnd() = 0;
    virtual void setOutputField(const std::string& text) = 0;
    // Marks the failures in the output pane's text, the last run's (in its
    // order) with their tests' lines.
    virtual void markFailures(const std::vector<RunFailure>& failures) = 0;

    // The status line under the panes.
    virtual void setStatus(const std::string& text) = 0;

    // Questions to the user. The first about unsaved edits, the second a
    // yes or no before a file is replaced.
    virtual UnsavedAnswer askUnsaved(const std::string& question) = 0;
    virtual bool confirm(const std::string& question) = 0;

    // The graphic display: its list of drawing records, and its repaint.
    virtual void clearDisplayList() = 0;
    virtual void repaintGraphic() = 0;
};

}  // namespace viewer
