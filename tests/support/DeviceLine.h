// What the test server's device shows in its text line, read from its display
// records; "<none>" when it shows nothing there.
#pragma once

#include <string>

#include "display/DisplayList.h"
#include "display/TextRecord.h"

namespace zortest {

inline std::string deviceLine(const display::DisplayList& list) {
    for (const auto& record : list) {
        const auto* text = dynamic_cast<const display::TextRecord*>(record.get());
        if (text && text->font == 1 && text->y == 84) return text->text;
    }
    return "<none>";
}

}  // namespace zortest
