#include "GraphicPane.h"

#include <QPainter>

#include "QtCanvas.h"
#include "display/DisplayPainter.h"

// Mouse moves arrive without a pressed button too, for the position display.
GraphicPane::GraphicPane(const display::DisplayList& list, QWidget* parent)
    : QWidget(parent), displayList(list) {
    setObjectName(QStringLiteral("graphic"));
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void GraphicPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QtCanvas canvas(painter, fonts);
    display::drawDisplay(displayList, canvas, width(), height());
}
