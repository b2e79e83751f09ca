// A text edit as the search and the commands see it: its text in the
// encoding it is shown in, positions as byte offsets of that text.
#pragma once

#include <QString>

#include "PaneSearch.h"
#include "TextForm.h"

class QPlainTextEdit;

class PlainTextPane : public viewer::TextPane {
public:
    explicit PlainTextPane(QPlainTextEdit* edit);

    std::string text() const override;
    int selectionStart() const override;
    int selectionEnd() const override;
    void select(int start, int end) override;
    void focusCaret(int pos) override;

    // Shows the bytes in the encoding.
    void setText(const std::string& bytes, viewer::TextEncoding shownAs);
    viewer::TextEncoding encoding() const { return textEncoding; }
    std::string encode(const QString& text) const;
    // The first character the pane's encoding cannot hold; empty when all fit.
    std::string unencodable() const;
    QPlainTextEdit* widget() const { return edit; }

private:
    QString rawText() const;

    QPlainTextEdit* edit;
    viewer::TextEncoding textEncoding = viewer::TextEncoding::utf8;
};
