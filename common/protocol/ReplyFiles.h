// Where an exchange puts the output file it receives: first into a temporary
// file, the name followed by "_", which replaces the output file once it
// arrived whole. The name comes from the server, so it is taken only when it
// stays beneath the current folder and spares the script being sent.
#pragma once

#include <cstddef>
#include <string>

struct stat;

namespace remote {

class ReplyFiles {
public:
    virtual ~ReplyFiles() = default;

    // Takes the name the server gave the output file. False, and nothing on
    // disk touched, when the name or its temporary file leads out of the
    // current folder or is the script (the file named script).
    virtual bool accept(const std::string& name, const std::string& script) = 0;
    // Creates the accepted name's temporary file; false when it cannot be made.
    virtual bool create() = 0;
    // Appends to the temporary file; false when the bytes did not all go in.
    virtual bool write(const char* bytes, std::size_t count) = 0;
    // Closes the temporary file; false when its content may be incomplete.
    virtual bool close() = 0;
    // Moves the temporary file over the accepted name, replacing it.
    virtual bool replace() = 0;
    virtual void remove() = 0;
};

// The files on disk. Every step after accept works on a descriptor of the
// folder the name resolved into, so a symbolic link swapped in afterwards
// cannot lead the file elsewhere.
class DiskReplyFiles : public ReplyFiles {
public:
    DiskReplyFiles() = default;
    ~DiskReplyFiles() override;
    DiskReplyFiles(const DiskReplyFiles&) = delete;
    DiskReplyFiles& operator=(const DiskReplyFiles&) = delete;

    bool accept(const std::string& name, const std::string& script) override;
    bool create() override;
    bool write(const char* bytes, std::size_t count) override;
    bool close() override;
    bool replace() override;
    void remove() override;

private:
    bool mayTake(const std::string& entry, const struct stat* script) const;
    void flush();
    void forget();

    int folder = -1;
    std::string base;
    int fd = -1;
    std::string pending;
    bool writeFailed = false;
};

}  // namespace remote
