#include "FuzzSandbox.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fuzzsupport {

namespace {

std::filesystem::path sandbox;

void removeSandbox() {
    std::error_code ignored;
    std::filesystem::remove_all(sandbox, ignored);
}

}  // namespace

void enterSandbox() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorfuzz.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) {
        std::perror("fuzz sandbox");
        std::abort();
    }
    sandbox = pattern;
    std::atexit(removeSandbox);
}

void clearSandbox() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(sandbox, ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

std::string confinedScript(const std::uint8_t* data, std::size_t size) {
    std::string script(reinterpret_cast<const char*>(data), size);
    const bool namesFiles = script.find("resultfile") != std::string::npos ||
                            script.find("deletefile") != std::string::npos;
    if (namesFiles) std::replace(script.begin(), script.end(), '/', '_');
    return script;
}

void writeScript(const char* name, const std::string& script) {
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file.write(script.data(), static_cast<std::streamsize>(script.size()));
}

}  // namespace fuzzsupport
