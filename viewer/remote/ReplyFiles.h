// Where an exchange puts the output file it receives: first into a temporary
// file, which replaces the output file once it arrived whole.
#pragma once

#include <cstddef>
#include <string>

namespace remote {

class ReplyFiles {
public:
    virtual ~ReplyFiles() = default;

    // Creates (or empties) the file for writing; false when it cannot be made.
    virtual bool create(const std::string& name) = 0;
    // Appends to the file created last; false when the bytes did not all go in.
    virtual bool write(const char* bytes, std::size_t count) = 0;
    // Closes the file created last; false when its content may be incomplete.
    virtual bool close() = 0;
    // Moves the file over another, replacing it.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
    virtual void remove(const std::string& name) = 0;
};

// The files on disk, relative to the working directory.
class DiskReplyFiles : public ReplyFiles {
public:
    ~DiskReplyFiles() override;

    bool create(const std::string& name) override;
    bool write(const char* bytes, std::size_t count) override;
    bool close() override;
    bool replace(const std::string& from, const std::string& to) override;
    void remove(const std::string& name) override;

private:
    void flush();

    int fd = -1;
    std::string pending;
    bool writeFailed = false;
};

}  // namespace remote
