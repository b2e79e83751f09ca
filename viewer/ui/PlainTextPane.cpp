#include "PlainTextPane.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include "PaneText.h"

namespace {

QTextCharFormat markFormat(PaneMark kind) {
    QTextCharFormat format;
    switch (kind) {
        case PaneMark::error:
            format.setBackground(QColor(255, 170, 170));
            break;
        case PaneMark::match:
            format.setBackground(QColor(255, 230, 110));
            break;
        case PaneMark::failure:
            format.setBackground(QColor(255, 215, 215));
            format.setProperty(QTextFormat::FullWidthSelection, true);
            break;
    }
    return format;
}

}  // namespace

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

int PlainTextPane::caret() const {
    return byteOffset(rawText(), edit->textCursor().position(), textEncoding);
}

int PlainTextPane::markStart() const {
    const QTextCursor cursor = edit->textCursor();
    if (!cursor.hasSelection() && cursor.position() == matchCaret) return match.start;
    return selectionStart();
}

int PlainTextPane::markEnd() const {
    const QTextCursor cursor = edit->textCursor();
    if (!cursor.hasSelection() && cursor.position() == matchCaret) return match.end;
    return selectionEnd();
}

void PlainTextPane::markMatch(int start, int end) {
    setMarks(PaneMark::match, {{start, end}});
    placeCaret(end);
    match = {start, end};
    matchCaret = edit->textCursor().position();
}

void PlainTextPane::placeCaret(int offset) {
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(panePosition(rawText(), offset, textEncoding));
    edit->setTextCursor(cursor);
    edit->ensureCursorVisible();
}

void PlainTextPane::setMarks(PaneMark kind, const std::vector<viewer::TextRange>& ranges) {
    const QString raw = rawText();
    QList<QTextEdit::ExtraSelection>& kept = marks[kind];
    kept.clear();
    for (const viewer::TextRange& range : ranges) {
        if (range.start == range.end) continue;
        QTextEdit::ExtraSelection mark{QTextCursor(edit->document()), markFormat(kind)};
        mark.cursor.setPosition(panePosition(raw, range.start, textEncoding));
        mark.cursor.setPosition(panePosition(raw, range.end, textEncoding),
                                QTextCursor::KeepAnchor);
        kept.push_back(mark);
    }
    showMarks();
}

// Later kinds lie on top: a match shows over a failure's line.
void PlainTextPane::showMarks() {
    QList<QTextEdit::ExtraSelection> shown;
    for (const PaneMark kind : {PaneMark::failure, PaneMark::error, PaneMark::match})
        shown += marks[kind];
    edit->setExtraSelections(shown);
}

void PlainTextPane::setText(const std::string& bytes, viewer::TextEncoding shownAs) {
    textEncoding = shownAs;
    marks.clear();
    matchCaret = -1;
    edit->setPlainText(decodeText(bytes, shownAs));
    showMarks();
}

std::string PlainTextPane::encode(const QString& text) const {
    return encodeText(text, textEncoding);
}

std::string PlainTextPane::unencodable() const {
    return ::unencodable(rawText(), textEncoding);
}
