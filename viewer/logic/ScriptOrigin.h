// Where the script pane's text came from: the file it was last read from or
// saved to, and that file's bytes then, so that a Save can tell a file the
// pane never held, or one another program changed since, from its own.
#pragma once

#include <optional>
#include <string>

#include "TextForm.h"

namespace viewer {

class ScriptOrigin {
public:
    // The pane now holds the file with these bytes.
    void take(const std::string& name, const std::string& bytes, const TextForm& fileForm);
    // A new script: no file, saved in the form new files get.
    void forget();

    bool holds(const std::string& name) const;
    // The file's bytes when the pane last matched it; nothing without a file.
    const std::optional<std::string>& bytes() const { return fileBytes; }
    const TextForm& form() const { return textForm; }

private:
    std::string path;  // absolute, since the working directory follows Open
    std::optional<std::string> fileBytes;
    TextForm textForm;
};

}  // namespace viewer
