// The line on which a test's name stands, from its position, which counts
// the script's bytes without its line feeds. Tests are judged in the
// script's order, so each look-up goes on from the one before.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace zorserver {

class ScriptLines {
public:
    ScriptLines() = default;
    explicit ScriptLines(std::string script) : text(std::move(script)) {}

    // From 1; 0 for a position beyond the script.
    int lineOf(int position);

private:
    std::string text;
    std::size_t offset = 0;
    int counted = 0;
    int line = 1;
};

}  // namespace zorserver
