#include "NumberedPane.h"

#include <QPainter>
#include <QTextBlock>

namespace {

constexpr int marginPadding = 4;

// The margin is a child of the pane that the pane paints.
class Margin : public QWidget {
public:
    explicit Margin(NumberedPane* owner) : QWidget(owner), pane(owner) {}
    QSize sizeHint() const override { return {pane->marginWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { pane->paintMargin(event); }

private:
    NumberedPane* pane;
};

}  // namespace

NumberedPane::NumberedPane(QWidget* parent) : QPlainTextEdit(parent), margin(new Margin(this)) {
    connect(this, &QPlainTextEdit::blockCountChanged, this, &NumberedPane::fitMargin);
    connect(this, &QPlainTextEdit::updateRequest, this, &NumberedPane::scrollMargin);
    fitMargin();
}

// Room for the widest number, never for fewer than three digits.
int NumberedPane::marginWidth() const {
    int digits = 3;
    for (int count = blockCount(); count >= 1000; count /= 10) ++digits;
    return 2 * marginPadding + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void NumberedPane::fitMargin() {
    setViewportMargins(marginWidth(), 0, 0, 0);
}

void NumberedPane::scrollMargin(const QRect& rect, int dy) {
    if (dy != 0) {
        margin->scroll(0, dy);
    } else {
        margin->update(0, rect.y(), margin->width(), rect.height());
    }
    if (rect.contains(viewport()->rect())) fitMargin();
}

void NumberedPane::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect inner = contentsRect();
    margin->setGeometry(inner.left(), inner.top(), marginWidth(), inner.height());
}

// The pane's font is set after it is made, and the numbers take it.
void NumberedPane::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() != QEvent::FontChange) return;
    fitMargin();
    margin->setGeometry(margin->x(), margin->y(), marginWidth(), margin->height());
}

void NumberedPane::paintMargin(QPaintEvent* event) {
    QPainter painter(margin);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int width = margin->width() - marginPadding;
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top())
            painter.drawText(0, top, width, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        top += height;
        block = block.next();
    }
}
