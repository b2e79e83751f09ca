// Turns the 8-bit texts of scripts and reports into valid XML 1.0 (UTF-8).
#pragma once

#include <string>
#include <string_view>

namespace zorrun {

enum class XmlPlace { content, attribute };

// Appends text to out so that an XML parser reads it back as text:
// - markup characters become entities;
// - in attributes, tab, line feed and carriage return become character
//   references, which attribute normalisation would otherwise turn into blanks;
// - well-formed UTF-8 passes unchanged; any other byte from 0x80 up becomes the
//   character of that code (as Latin-1 reads it), so no byte is lost;
// - control characters that XML 1.0 cannot carry at all become their visible
//   pictures (U+2400 and on).
void appendXml(std::string& out, std::string_view text, XmlPlace place);

}  // namespace zorrun
