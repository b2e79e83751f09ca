#include "SentScriptNames.h"

#include <stdlib.h>
#include <unistd.h>
#include <filesystem>
#include <system_error>

#include "host/PosixFiles.h"
#include "run/Parse.h"

namespace viewer {

namespace {

// The library outlines files only, so the bytes go into a private file of
// their own for as long as the outline takes.
bool outlineBytes(std::string_view script, ScriptOutline& outline) {
    std::error_code failed;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(failed);
    std::string name = ((failed ? "/tmp" : folder) / "zorsent-XXXXXX").string();
    const int fd = mkstemp(name.data());
    if (fd < 0) return false;
    const bool written = host::writeAll(fd, script);
    close(fd);
    const bool read = written && Parse::outlineScript(name.c_str(), outline) >= 0;
    unlink(name.c_str());
    return read;
}

}  // namespace

remote::ReplyNameRule sentScriptNames(std::string_view script, const std::string& outputFolder) {
    ScriptOutline outline;
    // Only the files are wanted: records are passed over, not kept.
    outline.takeRecord = [](const OutlineRecord&) {};
    if (!outlineBytes(script, outline)) return remote::ReplyNameRule();
    return remote::ReplyNameRule(outline.files, outputFolder);
}

}  // namespace viewer
