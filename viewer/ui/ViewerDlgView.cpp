// The main dialog as its commands see it.
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>

#include "GraphicPane.h"
#include "Latin1Text.h"
#include "PaneText.h"
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
    return {scriptSearch->selectionStart(), scriptSearch->selectionEnd(),
            scriptSearch->encode(cursor.selectedText())};
}

void ViewerDlg::setScriptText(const std::string& text, viewer::TextEncoding encoding) {
    scriptSearch->setText(text, encoding);
}

std::string ViewerDlg::unencodableCharacter() const {
    return scriptSearch->unencodable();
}

bool ViewerDlg::scriptUnsaved() const {
    return scriptPane->document()->isModified();
}

void ViewerDlg::setScriptSaved() {
    scriptPane->document()->setModified(false);
}

bool ViewerDlg::scriptModified() const {
    return unsentEdits;
}

void ViewerDlg::markScriptModified() {
    unsentEdits = true;
}

void ViewerDlg::clearScriptModified() {
    unsentEdits = false;
}

void ViewerDlg::selectScript(int start, int end) {
    scriptSearch->select(start, end);
}

void ViewerDlg::setOutputText(const std::string& text) {
    outputSearch->setText(text, shownEncoding(text));
}

void ViewerDlg::outputCaretToEnd() {
    outputPane->moveCursor(QTextCursor::End);
}

// The field is one short line; its tooltip holds a long error whole.
void ViewerDlg::setOutputField(const std::string& text) {
    const QString shown = decodeShown(text);
    outputField->setText(shown);
    outputField->setToolTip(shown);
}

void ViewerDlg::setStatus(const std::string& text) {
    statusLine->showMessage(decodeShown(text));
}

void ViewerDlg::clearDisplayList() {
    displayRecords.clear();
}

void ViewerDlg::repaintGraphic() {
    if (graphicShown) graphicPane->update();
}

// Escape answers Cancel; Save is the default, as it loses nothing.
viewer::UnsavedAnswer ViewerDlg::askUnsaved(const std::string& question) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), decodeShown(question),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save:
            return viewer::UnsavedAnswer::save;
        case QMessageBox::Discard:
            return viewer::UnsavedAnswer::discard;
        default:
            return viewer::UnsavedAnswer::cancel;
    }
}

bool ViewerDlg::confirm(const std::string& question) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), decodeShown(question),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
