// The main dialog as its commands see it.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "GraphicPane.h"
#include "Latin1Text.h"
#include "ViewerDlg.h"

std::string ViewerDlg::inputFileName() const {
    return fileNameBytes(inputField->text());
}

bool ViewerDlg::graphicMode() const {
    return graphicShown;
}

std::string ViewerDlg::scriptText() const {
    return scriptSearch->text();
}

viewer::PaneSelection ViewerDlg::scriptSelection() const {
    const QTextCursor cursor = scriptPane->textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd(), latin1Text(cursor.selectedText())};
}

void ViewerDlg::setScriptText(const std::string& text) {
    scriptPane->setPlainText(fromLatin1Text(text));
}

void ViewerDlg::markScriptModified() {
    scriptPane->document()->setModified(true);
}

void ViewerDlg::selectScript(int start, int end) {
    scriptSearch->select(start, end);
}

void ViewerDlg::setOutputText(const std::string& text) {
    outputPane->setPlainText(fromLatin1Text(text));
}

void ViewerDlg::outputCaretToEnd() {
    outputPane->moveCursor(QTextCursor::End);
}

void ViewerDlg::setOutputField(const std::string& text) {
    outputField->setText(fromLatin1Text(text));
}

void ViewerDlg::clearDisplayList() {
    displayRecords.clear();
}

void ViewerDlg::repaintGraphic() {
    if (graphicShown) graphicPane->update();
}
