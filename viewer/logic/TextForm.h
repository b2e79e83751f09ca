// How a script file spells its text: the encoding of its characters and its
// line ends, found when it is read and kept when it is written back.
#pragma once

#include <string>
#include <string_view>

namespace viewer {

// A file that is valid UTF-8 is shown as UTF-8; any other file one byte per
// character, as Latin-1.
enum class TextEncoding { latin1, utf8 };

struct TextForm {
    TextEncoding encoding = TextEncoding::utf8;
    bool crLf = false;  // "\r\n" line ends; new files get plain line feeds
};

bool isValidUtf8(std::string_view bytes);

// The form of a file's bytes; the first line end decides the line ends.
TextForm detectForm(std::string_view bytes);

// A pane's text (line breaks as '\n') as the file's bytes.
std::string withLineEnds(std::string_view text, const TextForm& form);

// The name of the encoding, as messages give it.
const char* encodingName(TextEncoding encoding);

}  // namespace viewer
