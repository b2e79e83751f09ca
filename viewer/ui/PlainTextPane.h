// A text edit as the search sees it.
#pragma once

#include "PaneSearch.h"

class QPlainTextEdit;

class PlainTextPane : public viewer::TextPane {
public:
    explicit PlainTextPane(QPlainTextEdit* edit);

    std::string text() const override;
    int selectionStart() const override;
    int selectionEnd() const override;
    void select(int start, int end) override;
    void focusCaret(int pos) override;

    QPlainTextEdit* widget() const { return edit; }

private:
    QPlainTextEdit* edit;
};
