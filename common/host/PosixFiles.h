// Writing, reading and replacing files through descriptors, for every
// program. The library keeps its own inside AdaptIO: it depends on nothing
// of this layer.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace host {

// Writes every byte, going on after interruptions and short writes. False
// with errno set when a write fails; ENOSPC when the file takes no more.
bool writeAll(int fd, std::string_view bytes);

// The bytes up to the end of the file, or the first limit + 1 of them, so
// that a caller can tell there were more; nothing when a read fails.
std::optional<std::string> readAll(int fd, std::size_t limit = std::string::npos - 1);

// The bytes of the regular file open at fd, of at most limit bytes. What was
// opened is checked, not a name: a FIFO or device swapped in after a look can
// neither keep the reader waiting nor be read without end. Nothing, with the
// reason in why when asked for ("not a regular file", "too large (N bytes;
// the limit is L)", "larger than L bytes" for a file that grew while read, or
// the system's), otherwise. fd may be -1 (errno then says why).
std::optional<std::string> readRegularFile(int fd, std::size_t limit, std::string* why = nullptr);

// Moves the complete file from over to, both names in the folder. False with
// errno set when the former file cannot be removed or the move fails.
bool replaceAt(int folderFd, const std::string& from, const std::string& to);

// open(2) of a name resolved beneath the folder in one step with the open
// (openat2, RESOLVE_BENEATH), so that a link swapped in between cannot lead
// out: absolute names, ".." and links that leave the folder fail with EXDEV.
// -1 with errno when it fails; an empty name is ENOENT.
int openBeneath(int folderFd, const std::string& name, int flags, mode_t mode = 0);

}  // namespace host
