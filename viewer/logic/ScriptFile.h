// Reading and writing the files the viewer shows: scripts and output files.
// Text is kept byte for byte; only line ends are converted.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace viewer {

// The file's text as a pane holds it: carriage returns dropped, so that every
// line break is one character. Nothing when the file cannot be opened (or its
// name is longer than the library's 255 characters).
std::optional<std::string> readPaneText(const std::string& name);

// The file's bytes as they are; nothing when it cannot be read.
std::optional<std::string> readFileBytes(const std::string& name);

// A pane's text with "\r\n" line breaks, as it is saved.
std::string withCrLf(std::string_view text);

// Writes a pane's text with "\r\n" line breaks, the form the scanner's
// positions are counted in, so that pane positions and script positions agree.
// The file is replaced only once the new text is completely written: on any
// failure the old file stays as it was and the answer is false.
bool writePaneText(const std::string& name, std::string_view text);

// Writes the bytes as they are, with the same all-or-nothing replacement.
bool writeFileBytes(const std::string& name, std::string_view bytes);

// The same replacement; the answer is empty on success, otherwise the
// system's reason ("Permission denied").
std::string writeFileReason(const std::string& name, std::string_view bytes);

// Copies a file over another, replacing it only when the copy is complete.
bool copyFile(const std::string& from, const std::string& to);

// Deletes a file; false when it did not exist or cannot be deleted.
bool removeFile(const std::string& name);

}  // namespace viewer
