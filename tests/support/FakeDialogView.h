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
    void setScriptText(const std::string& text, viewer::TextEncoding shownAs) override {
        script = text;
        encoding = shownAs;
        modified = false;
    }
    std::string unencodableCharacter() const override { return unfit; }
    bool scriptUnsaved() const override { return unsaved; }
    void setScriptSaved() override { unsaved = false; }
    bool scriptModified() const override { return modified; }
    void markScriptModified() override { modified = true; }
    void clearScriptModified() override { modified = false; }
    void markScript(int start, int end) override { errorMark = {start, end}; }
    void setOutputText(const std::string& text) override { output = text; }
    void outputCaretToEnd() override {}
    void setOutputField(const std::string& text) override { field = text; }
    void markFailures(const std::vector<viewer::RunFailure>& marked) override { failures = marked; }
    viewer::UnsavedAnswer askUnsaved(const std::string& question) override {
        questions.push_back(question);
        return unsavedAnswer;
    }
    bool confirm(const std::string& question) override {
        questions.push_back(question);
        return confirmAnswer;
    }
    void setStatus(const std::string& text) override { status = text; }
    void clearDisplayList() override {}
    void repaintGraphic() override {}

    std::string script;
    viewer::PaneSelection selection;
    std::pair<int, int> errorMark{0, 0};
    std::vector<viewer::RunFailure> failures;
    bool modified = false;
    bool unsaved = false;
    viewer::TextEncoding encoding = viewer::TextEncoding::latin1;
    std::string unfit;  // what unencodableCharacter answers
    std::vector<std::string> questions;
    viewer::UnsavedAnswer unsavedAnswer = viewer::UnsavedAnswer::cancel;
    bool confirmAnswer = false;
    std::string output = "old output";
    std::string field = "old field";
    std::string status;
};

}  // namespace zortest
