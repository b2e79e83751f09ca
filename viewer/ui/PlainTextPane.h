// A text edit as the search and the commands see it: its text in the
// encoding it is shown in, positions as byte offsets of that text, and the
// viewer's own marks on it.
#pragma once

#include <QList>
#include <QString>
#include <QTextEdit>

#include <map>
#include <vector>

#include "FailureIndex.h"
#include "PaneSearch.h"
#include "TextForm.h"

class QPlainTextEdit;

// The viewer's marks are highlights, never the selection, which stays the
// user's alone: a run takes a selection for the test to run.
enum class PaneMark { error, match, failure };

class PlainTextPane : public viewer::TextPane {
public:
    explicit PlainTextPane(QPlainTextEdit* edit);

    std::string text() const override;
    int markStart() const override;
    int markEnd() const override;
    void markMatch(int start, int end) override;

    int selectionStart() const;
    int selectionEnd() const;
    // Shows the bytes in the encoding; the marks go with the former text.
    void setText(const std::string& bytes, viewer::TextEncoding shownAs);
    viewer::TextEncoding encoding() const { return textEncoding; }
    std::string encode(const QString& text) const;
    // The first character the pane's encoding cannot hold; empty when all fit.
    std::string unencodable() const;
    QPlainTextEdit* widget() const { return edit; }

    // Replaces the marks of one kind; a failure mark spans its lines' width.
    void setMarks(PaneMark kind, const std::vector<viewer::TextRange>& ranges);
    // Puts the caret at the byte offset, selecting nothing, and shows it.
    void placeCaret(int offset);
    // The caret as a byte offset.
    int caret() const;

private:
    QString rawText() const;
    void showMarks();

    QPlainTextEdit* edit;
    viewer::TextEncoding textEncoding = viewer::TextEncoding::utf8;
    std::map<PaneMark, QList<QTextEdit::ExtraSelection>> marks;
    // The last match, for as long as the caret stays where it left it.
    viewer::TextRange match;
    int matchCaret = -1;
};
