#include "QtCanvas.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "DisplayFonts.h"

namespace {

QColor qtColor(display::Rgb color) {
    return QColor(color.r, color.g, color.b);
}

QPoint qtPoint(display::Point point) {
    return QPoint(point.x, point.y);
}

// The pixels of a line from its start up to, not including, its end, walked
// from the start: the toolkit's own one-pixel lines leave out whichever end
// comes last in its drawing direction, not always the end point.
QPolygon linePixels(display::Point from, display::Point to) {
    const int dx = std::abs(to.x - from.x);
    const int dy = -std::abs(to.y - from.y);
    const int stepX = from.x < to.x ? 1 : -1;
    const int stepY = from.y < to.y ? 1 : -1;
    QPolygon pixels;
    pixels.reserve(std::max(dx, -dy));
    int error = dx + dy;
    for (QPoint at(from.x, from.y); at != QPoint(to.x, to.y);) {
        pixels << at;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            at.rx() += stepX;
        }
        if (twice <= dx) {
            error += dx;
            at.ry() += stepY;
        }
    }
    return pixels;
}

// The box with its corners in order, covering [left, right - 1] x [top, bottom - 1].
QRect normalised(const display::Box& box) {
    const int left = std::min(box.left, box.right);
    const int top = std::min(box.top, box.bottom);
    return QRect(left, top, std::max(box.left, box.right) - left,
                 std::max(box.top, box.bottom) - top);
}

// The ellipse's outline through the outermost pixels of the box: an aliased
// one-pixel stroke lies on the pixels whose centres the path passes.
QRectF ellipseBounds(const QRect& box) {
    return QRectF(box.left() + 0.5, box.top() + 0.5, box.width() - 1, box.height() - 1);
}

// The toolkit measures an ellipse's angles as parameters of the ellipse, the
// device as directions from its centre; this turns the direction of a radial
// point into the parameter of the ellipse point in that direction (degrees).
double ellipseAngle(const QRectF& ellipse, display::Point radial) {
    const double dx = radial.x - ellipse.center().x();
    const double dy = ellipse.center().y() - radial.y;
    const double a = ellipse.width() / 2;
    const double b = ellipse.height() / 2;
    const double parameter = a > 0 && b > 0 ? std::atan2(dy * a, dx * b) : std::atan2(dy, dx);
    return parameter * 180 / std::numbers::pi;
}

}  // namespace

QtCanvas::QtCanvas(QPainter& target, const DisplayFonts& displayFonts)
    : painter(target), fonts(displayFonts) {
    selectPen({0, 0, 0});
    painter.setRenderHint(QPainter::Antialiasing, false);
}

void QtCanvas::clip(const display::Box& area) {
    const QRect visible(area.left, area.top, std::max(0, area.right - area.left),
                        std::max(0, area.bottom - area.top));
    painter.setClipRect(visible);
}

void QtCanvas::selectPen(display::Rgb color) {
    pen = QPen(qtColor(color), 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setCosmetic(true);
    painter.setPen(pen);
}

void QtCanvas::selectBrush(display::Rgb color) {
    painter.setBrush(qtColor(color));
}

void QtCanvas::setTextColor(display::Rgb color) {
    textColor = qtColor(color);
}

void QtCanvas::setTransparentText() {
    painter.setBackgroundMode(Qt::TransparentMode);
}

void QtCanvas::selectFont(int font) {
    painter.setFont(fonts.font(font));
}

// A line to its own start sets no pixel at all.
void QtCanvas::line(display::Point from, display::Point to) {
    if (from == to) return;
    painter.drawPoints(linePixels(from, to));
}

// The outline lies on the outermost pixels of the filled area.
void QtCanvas::rectangle(const display::Box& corners) {
    const QRect area = normalised(corners);
    if (area.isEmpty()) return;
    painter.fillRect(area, painter.brush());
    if (area.width() == 1 || area.height() == 1) {
        painter.fillRect(area, pen.color());
        return;
    }
    const QBrush brush = painter.brush();
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setBrush(brush);
}

void QtCanvas::arc(const display::Box& bounds, display::Point startRadial,
                   display::Point endRadial) {
    drawArc(bounds, startRadial, endRadial, false);
}

void QtCanvas::pie(const display::Box& bounds, display::Point startRadial,
                   display::Point endRadial) {
    drawArc(bounds, startRadial, endRadial, true);
}

// Counter-clockwise from the first direction to the second; the same
// direction twice is the whole ellipse.
void QtCanvas::drawArc(const display::Box& bounds, display::Point startRadial,
                       display::Point endRadial, bool asPie) {
    const QRect box = normalised(bounds);
    if (box.isEmpty()) return;
    const QRectF ellipse = ellipseBounds(box);
    const double from = ellipseAngle(ellipse, startRadial);
    double span = ellipseAngle(ellipse, endRadial) - from;
    while (span <= 0) span += 360;

    QPainterPath path;
    if (asPie) {
        path.moveTo(ellipse.center());
        path.arcTo(ellipse, from, span);
        path.closeSubpath();
        painter.drawPath(path);
        return;
    }
    path.arcMoveTo(ellipse, from);
    path.arcTo(ellipse, from, span);
    painter.strokePath(path, pen);
}

void QtCanvas::polygon(std::span<const display::Point> points) {
    if (points.size() < 2) return;
    QPolygon shape;
    for (const display::Point& point : points) shape << qtPoint(point);
    painter.drawPolygon(shape, Qt::OddEvenFill);
}

// Characters are single bytes of the Latin-1 range, as everywhere in the viewer.
void QtCanvas::text(display::Point topLeft, std::string_view characters) {
    const QString shown = QString::fromLatin1(characters.data(), std::ssize(characters));
    painter.setPen(textColor);
    painter.drawText(QPoint(topLeft.x, topLeft.y + painter.fontMetrics().ascent()), shown);
    painter.setPen(pen);
}
