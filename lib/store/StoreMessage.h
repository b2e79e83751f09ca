// The data store's messages go to the library's shared file object, framed by
// line breaks; they are lost when no output file is open.
#pragma once

namespace zor {

// Writes "\r\n", text, detail (when given), "\r\n".
void storeMessage(const char* text, const char* detail = nullptr);

}  // namespace zor
