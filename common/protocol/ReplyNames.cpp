#include "protocol/ReplyNames.h"

#include <filesystem>
#include <system_error>

namespace remote {

namespace {

// Appends one step of a name; false for a step that no client takes.
bool addStep(std::string_view step, std::string& normal) {
    if (step == "..") return false;
    if (step.empty() || step == ".") return true;
    if (!normal.empty()) normal += '/';
    normal += step;
    return true;
}

}  // namespace

std::string normalReplyName(std::string_view name) {
    if (name.empty() || name.front() == '/') return std::string();
    std::string normal;
    for (std::size_t slash = name.find('/'); slash != std::string_view::npos;
         slash = name.find('/')) {
        if (!addStep(name.substr(0, slash), normal)) return std::string();
        name.remove_prefix(slash + 1);
    }
    // The last step names the file itself: a folder never is one.
    if (name.empty() || name == "." || !addStep(name, normal)) return std::string();
    return normal;
}

std::string outputFolderName(const std::string& folder) {
    std::error_code failed;
    std::filesystem::path path(folder);
    if (path.is_absolute()) {
        const std::filesystem::path here = std::filesystem::current_path(failed);
        if (failed) return std::string();
        path = path.lexically_normal().lexically_relative(here.lexically_normal());
    }
    std::string relative = path.generic_string();
    while (relative.size() > 1 && relative.back() == '/') relative.pop_back();
    return normalReplyName(relative);
}

ReplyNameRule::ReplyNameRule(const std::vector<OutlineFile>& files,
                             const std::string& outputFolder) {
    for (const OutlineFile& file : files) {
        if (file.kind != OutlineFile::resultFile) continue;
        if (file.computed)
            computed = true;
        else
            allow(file.name);
    }
    if (computed && !outputFolder.empty()) folder = outputFolderName(outputFolder);
}

void ReplyNameRule::allow(std::string_view name) {
    std::string normal = normalReplyName(name);
    if (!normal.empty()) names.insert(std::move(normal));
}

bool ReplyNameRule::admits(std::string_view name) const {
    const std::string normal = normalReplyName(name);
    if (normal.empty()) return false;
    if (names.contains(normal)) return true;
    return !folder.empty() && normal.size() > folder.size() && normal.starts_with(folder) &&
           normal[folder.size()] == '/';
}

}  // namespace remote
