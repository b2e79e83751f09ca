#include "Discovery.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace zorrun {

namespace {

namespace fs = std::filesystem;

bool isFolder(const std::string& name) {
    struct stat status;
    return stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool hidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return name.size() > 1 && name[0] == '.' && name != "..";
}

// The folder's name as the user wrote it, without a trailing slash, leads
// every script's name, so that "tests/" gives "tests/a.zor.txt".
std::vector<std::string> scriptsBeneath(const std::string& folder, const std::string& pattern) {
    std::string lead = folder;
    while (lead.size() > 1 && lead.back() == '/') lead.pop_back();
    std::vector<std::string> found;
    std::error_code error;
    fs::recursive_directory_iterator entry(lead, fs::directory_options::skip_permission_denied,
                                           error);
    for (; !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        if (hidden(entry->path())) {
            if (entry->is_directory(error)) entry.disable_recursion_pending();
            continue;
        }
        const std::string name = entry->path().filename().string();
        if (entry->is_regular_file(error) && fnmatch(pattern.c_str(), name.c_str(), 0) == 0)
            found.push_back(lead == "." ? entry->path().lexically_relative(lead).string()
                                        : entry->path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

bool discoverScripts(std::vector<std::string>& scripts, const std::string& pattern,
                     std::string& error) {
    std::vector<std::string> expanded;
    for (const std::string& script : scripts) {
        if (!isFolder(script)) {
            expanded.push_back(script);
            continue;
        }
        const std::vector<std::string> found = scriptsBeneath(script, pattern);
        if (found.empty()) {
            error = script + ": no script matches " + pattern;
            return false;
        }
        expanded.insert(expanded.end(), found.begin(), found.end());
    }
    scripts = std::move(expanded);
    return true;
}

}  // namespace zorrun
