// The drawing surface that display records draw on: the primitives of a
// device's screen, with a selected pen, brush, text colour and font as the
// device keeps them. The viewer implements it with its widget toolkit, the
// tests with a recording.
#pragma once

#include <span>
#include <string_view>

namespace display {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Two opposite corners; shapes cover [min, max - 1] in both directions.
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The three fonts of the display: small, medium and large.
constexpr int fontCount = 3;

class Canvas {
public:
    virtual ~Canvas() = default;

    // Nothing outside [left, right - 1] x [top, bottom - 1] is drawn.
    virtual void clip(const Box& area) = 0;

    // A solid pen one pixel wide, for strokes and outlines.
    virtual void selectPen(Rgb color) = 0;
    // A solid brush, for the inside of filled shapes.
    virtual void selectBrush(Rgb color) = 0;
    virtual void setTextColor(Rgb color) = 0;
    // Text is drawn without filling its background.
    virtual void setTransparentText() = 0;
    virtual void selectFont(int font) = 0;

    // A line with the pen; its end point is left out.
    virtual void line(Point from, Point to) = 0;
    // Outlined with the pen and filled with the brush.
    virtual void rectangle(const Box& corners) = 0;
    // Part of the ellipse in the box, counter-clockwise from the direction of
    // the first radial point to that of the second; equal directions give the
    // whole ellipse. A pie adds the two radii and fills the segment.
    virtual void arc(const Box& bounds, Point startRadial, Point endRadial) = 0;
    virtual void pie(const Box& bounds, Point startRadial, Point endRadial) = 0;
    // Outlined with the pen and filled with the brush.
    virtual void polygon(std::span<const Point> points) = 0;
    // Text in the selected font and text colour, its top left corner at the point.
    virtual void text(Point topLeft, std::string_view characters) = 0;
};

}  // namespace display
