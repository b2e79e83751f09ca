// What the viewer's commands need of the main dialog: its panes and fields.
// The dialog implements it; the commands stay free of any widget toolkit.
#pragma once

#include <string>

namespace viewer {

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

    // Script pane: one byte per character, line breaks as '\n'.
    virtual std::string scriptText() const = 0;
    virtual PaneSelection scriptSelection() const = 0;
    virtual void setScriptText(const std::string& text) = 0;
    // Marks the script as changed since it was last sent to a test server.
    virtual void markScriptModified() = 0;
    // Selects the characters [start, end) of the script pane.
    virtual void selectScript(int start, int end) = 0;

    // Output pane and the output field (field "Outputfile").
    virtual void setOutputText(const std::string& text) = 0;
    virtual void outputCaretToEnd() = 0;
    virtual void setOutputField(const std::string& text) = 0;

    // The graphic display: its list of drawing records, and its repaint.
    virtual void clearDisplayList() = 0;
    virtual void repaintGraphic() = 0;
};

}  // namespace viewer
