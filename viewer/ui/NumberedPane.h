// A plain text pane with its line numbers in a margin on the left.
#pragma once

#include <QPlainTextEdit>

class NumberedPane : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit NumberedPane(QWidget* parent = nullptr);

    int marginWidth() const;
    // Paints the numbers of the visible lines into the margin.
    void paintMargin(QPaintEvent* event);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fitMargin();
    void scrollMargin(const QRect& rect, int dy);

    QWidget* margin;
};
