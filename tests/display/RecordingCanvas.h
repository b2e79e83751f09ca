// A canvas that writes down every call as one line of text, so that tests can
// compare what was drawn, and in which drawing state, with what they expect.
#pragma once

#include <string>
#include <vector>

#include "display/Canvas.h"

class RecordingCanvas : public display::Canvas {
public:
    void clip(const display::Box& area) override { add("clip " + box(area)); }
    void selectPen(display::Rgb color) override { add("pen " + rgb(color)); }
    void selectBrush(display::Rgb color) override { add("brush " + rgb(color)); }
    void setTextColor(display::Rgb color) override { add("textcolor " + rgb(color)); }
    void setTransparentText() override { add("transparent"); }
    void selectFont(int font) override { add("font " + std::to_string(font)); }
    void line(display::Point from, display::Point to) override {
        add("line " + point(from) + " " + point(to));
    }
    void rectangle(const display::Box& corners) override { add("rect " + box(corners)); }
    void arc(const display::Box& bounds, display::Point from, display::Point to) override {
        add("arc " + box(bounds) + " " + point(from) + " " + point(to));
    }
    void pie(const display::Box& bounds, display::Point from, display::Point to) override {
        add("pie " + box(bounds) + " " + point(from) + " " + point(to));
    }
    void polygon(std::span<const display::Point> points) override {
        std::string call = "polygon";
        for (const display::Point& p : points) call += " " + point(p);
        add(call);
    }
    void text(display::Point topLeft, std::string_view characters) override {
        add("text " + point(topLeft) + " " + std::string(characters));
    }

    std::vector<std::string> calls;

private:
    void add(std::string call) { calls.push_back(std::move(call)); }
    static std::string point(display::Point p) {
        return std::to_string(p.x) + "," + std::to_string(p.y);
    }
    static std::string box(const display::Box& b) {
        return point({b.left, b.top}) + " " + point({b.right, b.bottom});
    }
    static std::string rgb(display::Rgb c) {
        return std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b);
    }
};
