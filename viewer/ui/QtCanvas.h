// The display's canvas on a QPainter, with the device's pixel rules: one-pixel
// pens that leave out a line's end point, shapes that cover [min, max - 1],
// arcs from radial points, text placed by its top left corner.
#pragma once

#include <QColor>
#include <QPen>

#include "display/Canvas.h"

class DisplayFonts;
class QPainter;

class QtCanvas : public display::Canvas {
public:
    QtCanvas(QPainter& painter, const DisplayFonts& fonts);

    void clip(const display::Box& area) override;
    void selectPen(display::Rgb color) override;
    void selectBrush(display::Rgb color) override;
    void setTextColor(display::Rgb color) override;
    void setTransparentText() override;
    void selectFont(int font) override;
    void line(display::Point from, display::Point to) override;
    void rectangle(const display::Box& corners) override;
    void arc(const display::Box& bounds, display::Point startRadial,
             display::Point endRadial) override;
    void pie(const display::Box& bounds, display::Point startRadial,
             display::Point endRadial) override;
    void polygon(std::span<const display::Point> points) override;
    void text(display::Point topLeft, std::string_view characters) override;

private:
    void drawArc(const display::Box& bounds, display::Point startRadial, display::Point endRadial,
                 bool asPie);

    QPainter& painter;
    const DisplayFonts& fonts;
    QPen pen;
    QColor textColor = Qt::black;
};
