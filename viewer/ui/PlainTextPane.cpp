#include "PlainTextPane.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include "PaneText.h"

PlainTextPane::PlainTextPane(QPlainTextEdit* textEdit) : edit(textEdit) {}

// The raw text keeps every character as it is (toPlainText would turn a
// no-break space into a space).
QString PlainTextPane::rawText() const {
    return edit->document()->toRawText();
}

std::string PlainTextPane::text() const {
    return encodeText(rawText(), textEncoding);
}

int PlainTextPane::selectionStart() const {
    return byteOffset(rawText(), edit->textCursor().selectionStart(), textEncoding);
}

int PlainTextPane::selectionEnd() const {
    return byteOffset(rawText(), edit->textCursor().selectionEnd(), textEncoding);
}

void PlainTextPane::select(int start, int end) {
    const QString raw = rawText();
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(panePosition(raw, start, textEncoding));
    cursor.setPosition(panePosition(raw, end, textEncoding), QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
}

void PlainTextPane::focusCaret(int pos) {
    edit->setFocus();
    select(pos, pos);
}

void PlainTextPane::setText(const std::string& bytes, viewer::TextEncoding shownAs) {
    textEncoding = shownAs;
    edit->setPlainText(decodeText(bytes, shownAs));
}

std::string PlainTextPane::encode(const QString& text) const {
    return encodeText(text, textEncoding);
}

std::string PlainTextPane::unencodable() const {
    return ::unencodable(rawText(), textEncoding);
}
