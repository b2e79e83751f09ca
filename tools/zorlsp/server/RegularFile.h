// Reading a file that someone else may have put in place of the one expected:
// what is opened is checked, not the name, so that a FIFO or a device
// swapped in after a look can neither keep the server waiting nor be read
// without end.
#pragma once

#include <cstddef>
#include <string>

namespace zorlsp {

// The bytes of the regular file open at fd, of at most limit bytes; false for
// anything else. The descriptor is closed in every case (-1 is accepted).
bool readOpenedFile(int fd, std::size_t limit, std::string& text);

// Opens path without waiting on it (a FIFO) and reads it as above.
bool readRegularFile(const std::string& path, std::size_t limit, std::string& text);

}  // namespace zorlsp
