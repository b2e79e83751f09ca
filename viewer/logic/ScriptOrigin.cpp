#include "ScriptOrigin.h"

#include <filesystem>

namespace viewer {

namespace {

std::string absoluteName(const std::string& name) {
    std::error_code failure;
    const std::filesystem::path path = std::filesystem::absolute(name, failure);
    return failure ? name : path.lexically_normal().string();
}

}  // namespace

void ScriptOrigin::take(const std::string& name, const std::string& bytes,
                        const TextForm& fileForm) {
    path = absoluteName(name);
    fileBytes = bytes;
    textForm = fileForm;
}

void ScriptOrigin::forget() {
    path.clear();
    fileBytes.reset();
    textForm = TextForm();
}

bool ScriptOrigin::holds(const std::string& name) const {
    return !path.empty() && path == absoluteName(name);
}

}  // namespace viewer
