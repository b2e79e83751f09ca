// The numbers of a display record's text encoding: decimal, a fixed number of
// places, zero-padded, a minus sign taking the first place ("-005" is minus
// five in four places).
#pragma once

#include <cstddef>
#include <string_view>

namespace display {

// The largest and smallest value that the given number of places holds.
int fieldMax(int width);
int fieldMin(int width);

// Writes fields into a buffer whose room the caller has checked.
class FieldWriter {
public:
    explicit FieldWriter(char* cursor) : at(cursor) {}

    // A value outside the width's range is written as the nearest one inside.
    void number(int value, int width);
    void characters(std::string_view text);
    void zeroByte() { *at++ = '\0'; }

    char* position() const { return at; }

private:
    char* at;
};

// Reads fields up to a limit; a field that runs past the limit or holds other
// than digits fails, and the reader stays where it was.
class FieldReader {
public:
    FieldReader(const char* cursor, const char* limit) : at(cursor), end(limit) {}

    bool number(int width, int& value);
    // The bytes left before the limit.
    std::size_t left() const { return static_cast<std::size_t>(end - at); }
    const char* position() const { return at; }
    void skip(std::size_t count) { at += count; }

private:
    const char* at;
    const char* end;
};

}  // namespace display
