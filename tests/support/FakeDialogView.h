// The main dialog's panes and fields as plain members, for the viewer logic
// tests that drive the dialog's commands or the remote session without widgets.
#pragma once

#include <string>

#include "DialogView.h"

namespace zortest {

class FakeDialogView : public viewer::DialogView {
public:
    std::string inputFileName() const override { return "in.txt"; }
    bool graphicMode() const override { return false; }
    std::string scriptText() const override { return script; }
    viewer::PaneSelection scriptSelection() const override { return selection; }
    void setScriptText(const std::string& text) override {
        script = text;
        modified = false;
    }
    bool scriptModified() const override { return modified; }
    void markScriptModified() override { modified = true; }
    void clearScriptModified() override { modified = false; }
    void selectScript(int start, int end) override {
        selection.start = start;
        selection.end = end;
        selection.text = script.substr(start, end - start);
    }
    void setOutputText(const std::string& text) override { output = text; }
    void outputCaretToEnd() override {}
    void setOutputField(const std::string& text) override { field = text; }
    void clearDisplayList() override {}
    void repaintGraphic() override {}

    std::string script;
    viewer::PaneSelection selection;
    bool modified = false;
    std::string output = "old output";
    std::string field = "old field";
};

}  // namespace zortest
