// A report file written as a draft beside its final place, which takes that
// place only once it is complete: a reader never sees half a report, and a
// run that fails leaves the former file as it was.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zorrun {

class ReplacedFile {
public:
    ReplacedFile() = default;
    // A draft never committed is removed.
    ~ReplacedFile();
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    // Creates the draft; false with a reason when it cannot.
    bool open(const std::string& path, std::string& reason);
    bool isOpen() const { return file != nullptr; }
    void write(std::string_view text);
    // The draft, for writers that copy into it; a failed write is noted with
    // writeFailed.
    std::FILE* stream() const { return file; }
    void writeFailed() { failed = true; }
    // Puts the draft in the file's place; false with a reason when a write
    // failed somewhere (a full disk), and the former file stays.
    bool commit(std::string& reason);

private:
    std::string finalPath;
    std::string draftPath;
    std::FILE* file = nullptr;
    bool failed = false;
};

}  // namespace zorrun
