#include "PlainTextPane.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include "Latin1Text.h"

PlainTextPane::PlainTextPane(QPlainTextEdit* textEdit) : edit(textEdit) {}

std::string PlainTextPane::text() const {
    // The raw text keeps every character as it is (toPlainText would turn a
    // no-break space into a space).
    return latin1Text(edit->document()->toRawText());
}

int PlainTextPane::selectionStart() const {
    return edit->textCursor().selectionStart();
}

int PlainTextPane::selectionEnd() const {
    return edit->textCursor().selectionEnd();
}

void PlainTextPane::select(int start, int end) {
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
}

void PlainTextPane::focusCaret(int pos) {
    edit->setFocus();
    select(pos, pos);
}
