// The folder that fuzz inputs run in. A script may name files to append to
// and to delete, so inputs run in a fresh folder of their own, which is
// emptied after each input, and cannot name files outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzsupport {

// Makes a fresh folder and the current directory; call once at start-up.
void enterSandbox();
// Removes every file that the last input created.
void clearSandbox();

// The input as script text. A script that names files has every '/' turned
// into '_', so that its names stay inside the sandbox.
std::string confinedScript(const std::uint8_t* data, std::size_t size);
// Writes the script into the sandbox under the given name.
void writeScript(const char* name, const std::string& script);

}  // namespace fuzzsupport
