#include "OutputFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace zorrun {

namespace {

namespace fs = std::filesystem;

// The system gives up on a chain of links this long; so does ZorRun.
constexpr int longestLinkChain = 40;

std::string identityOf(const struct stat& status) {
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

// Follows the last part's links, also where the link's target is not there
// yet: a dangling link names the file that writing through it creates.
fs::path throughLinks(fs::path path) {
    for (int hop = 0; hop < longestLinkChain; ++hop) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        std::error_code error;
        const fs::path target = fs::read_symlink(path, error);
        if (error) return path;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

}  // namespace

std::vector<std::string> fileIdentities(const std::string& name) {
    const fs::path path = throughLinks(fs::path(name));
    std::vector<std::string> identities;
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode))
        identities.push_back(identityOf(status));
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        identities.push_back(identityOf(status) + "/" + path.filename().string());
    } else {
        std::error_code error;
        identities.push_back(fs::absolute(path, error).lexically_normal().string());
    }
    std::sort(identities.begin(), identities.end());
    return identities;
}

ScriptFileNames scriptFiles(const std::string& script, const ScriptOutline& outline, int outlined) {
    ScriptFileNames found;
    found.unknown = outlined < 0;
    const auto add = [&found](const std::string& name) {
        for (std::string& identity : fileIdentities(name))
            found.names.push_back(std::move(identity));
    };
    add(script);
    for (const OutlineFile& file : outline.files) {
        if (file.computed) found.unknown = true;
        if (!file.computed) add(file.name);
    }
    std::sort(found.names.begin(), found.names.end());
    found.names.erase(std::unique(found.names.begin(), found.names.end()), found.names.end());
    return found;
}

bool shareFiles(const ScriptFileNames& first, const ScriptFileNames& second) {
    if (first.unknown || second.unknown) return true;
    auto a = first.names.begin();
    auto b = second.names.begin();
    while (a != first.names.end() && b != second.names.end()) {
        if (*a == *b) return true;
        *a < *b ? ++a : ++b;
    }
    return false;
}

}  // namespace zorrun
