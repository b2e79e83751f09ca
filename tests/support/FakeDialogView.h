// The main dialog's panes and fields as plain members, for the viewer logic
// tests that drive the dialog's commands or the remote session without widgets.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "DialogView.h"

namespace zortest {

class FakeDialogView : public viewer::DialogView {
public:
    std::string inputFileName() const override { return "in.txt"; }
    bool graphicMode() const override { return false; }
    std::string scriptText() const override { return script; }
    viewer::PaneSelection scriptSelection() const override { return selection; }
    void setScriptText(const std::string& text, viewer::TextEncoding) override {
        script = text;
        modified = false;
    }
    std::string unencodableCharacter() const override { return ""; }
    bool scriptUnsaved() const override { return false; }
    void setScriptSaved() override {}
    bool scriptModified() const override { return modified; }
    void markScriptModified() override { modified = true; }
    void clearScriptModified() override { modified = false; }
    void markScript(int start, int end) override { errorMark = {start, end}; }
    void setOutputText(const std::string& text) override { output = text; }
    void outputCaretToEnd() override {}
    void setOutputField(const std::string& text) override { field = text; }
    void markFailures(const std::vector<viewer::RunFailure>&) override {}
    viewer::UnsavedAnswer askUnsaved(const std::string&) override {
        return viewer::UnsavedAnswer::cancel;
    }
    bool confirm(const std::string&) override { return false; }
    void setStatus(const std::string&) override {}
    void clearDisplayList() override {}
    void repaintGraphic() override {}

    std::string script;
    viewer::PaneSelection selection;
    std::pair<int, int> errorMark{0, 0};
    bool modified = false;
    std::string output = "old output";
    std::string field = "old field";
};

}  // namespace zortest
