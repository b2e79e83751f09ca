#include "ModuleList.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace viewer {

ModuleList::ModuleList(ModuleLoader loader) : loadModule(std::move(loader)) {}

std::string ModuleList::load(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    const std::string file = error ? path : absolute.lexically_normal().string();
    std::string reason;
    if (path.empty()) reason = "no file name";
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
