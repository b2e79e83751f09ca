#include "ModuleList.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace viewer {

ModuleList::ModuleList(ModuleLoader loader) : loadModule(std::move(loader)) {}

namespace {

// A path that cannot be made absolute is kept as given.
std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

}  // namespace

std::string ModuleList::load(const std::string& path) {
    std::string reason = path.empty() ? "no file name" : std::string();
    const std::string file = absolutePath(path);
    if (!reason.empty() || !loadModule(file, reason))
        return path + ": cannot load module: " + reason;
    if (std::ranges::find(loaded, file) == loaded.end()) loaded.push_back(file);
    return {};
}

std::string ModuleList::loadAll(const std::vector<std::string>& paths) {
    std::string failures;
    for (const std::string& path : paths) {
        const std::string failure = load(path);
        if (failure.empty()) continue;
        if (!failures.empty()) failures += "; ";
        failures += failure;
    }
    return failures;
}

}  // namespace viewer
