#include "ProjectFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <toml++/toml.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace zorrun {

namespace {

namespace fs = std::filesystem;

constexpr const char* projectName = "zorrun.toml";
constexpr std::uintmax_t maxProjectSize = 1 << 20;

// The option each scalar key stands for, and whether its value is a path.
struct KeyOption {
    const char* option;
    bool path;
};

const std::map<std::string, KeyOption>& scalarKeys() {
    static const std::map<std::string, KeyOption> keys = {
        {"timeout", {"--timeout", false}},
        {"jobs", {"--jobs", false}},
        {"junit", {"--junit", true}},
        {"json", {"--json", true}},
        {"html", {"--html", true}},
        {"color", {"--color", false}},
        {"junit_family", {"--junit-family", false}},
        {"maxfail", {"--maxfail", false}},
    };
    return keys;
}

fs::path nearestProject() {
    std::error_code error;
    for (fs::path folder = fs::current_path(error); !error && !folder.empty();
         folder = folder.parent_path()) {
        const fs::path candidate = folder / projectName;
        if (fs::exists(candidate, error)) return candidate;
        if (folder == folder.root_path()) break;
    }
    return {};
}

// A project file loads modules, so one that someone else could have put
// there or changed is refused, as a shell refuses another user's rc file.
std::string trustProblem(const fs::path& file) {
    struct stat status;
    if (stat(file.c_str(), &status) != 0) return "cannot be examined";
    if (!S_ISREG(status.st_mode)) return "is not a regular file";
    if (status.st_uid != getuid() && status.st_uid != 0) return "belongs to another user";
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) return "may be written by other users";
    if (status.st_size > static_cast<off_t>(maxProjectSize)) return "is larger than 1 MiB";
    return "";
}

std::string where(const fs::path& file, const toml::source_region& source) {
    return file.string() + ":" + std::to_string(source.begin.line) + ":" +
           std::to_string(source.begin.column);
}

// A path in the project file is read from the project's folder.
std::string fromProject(const fs::path& folder, const std::string& entry) {
    const fs::path path = fs::path(entry).is_absolute() ? fs::path(entry) : folder / entry;
    std::error_code error;
    const fs::path near = fs::proximate(path, error);
    return (error ? path : near).lexically_normal().string();
}

bool readStrings(const toml::node& node, std::vector<std::string>& values) {
    const toml::array* array = node.as_array();
    if (array == nullptr) return false;
    for (const toml::node& item : *array) {
        const auto text = item.value<std::string>();
        if (!text || text->empty()) return false;
        values.push_back(*text);
    }
    return true;
}

std::string scalarText(const toml::node& node) {
    if (const auto number = node.value<std::int64_t>()) return std::to_string(*number);
    if (const auto text = node.value<std::string>()) return *text;
    return "";
}

bool readTable(const fs::path& file, const toml::table& table, ProjectFile& project,
               std::string& error) {
    const fs::path folder = file.parent_path();
    for (const auto& [key, node] : table) {
        const std::string name(key.str());
        std::vector<std::string> values;
        if (name == "modules" || name == "scripts") {
            if (!readStrings(node, values)) {
                error = where(file, node.source()) + ": " + name + " expects a list of names";
                return false;
            }
            for (const std::string& value : values) {
                if (name == "scripts") {
                    project.scripts.push_back(fromProject(folder, value));
                } else {
                    project.arguments.push_back("--load");
                    project.arguments.push_back(fromProject(folder, value));
                }
            }
        } else if (name == "pattern") {
            project.pattern = scalarText(node);
            if (project.pattern.empty()) {
                error = where(file, node.source()) + ": pattern expects a shell glob";
                return false;
            }
        } else if (auto scalar = scalarKeys().find(name); scalar != scalarKeys().end()) {
            const std::string value = scalarText(node);
            if (value.empty()) {
                error = where(file, node.source()) + ": " + name + " expects a number or a text";
                return false;
            }
            project.arguments.push_back(scalar->second.option);
            project.arguments.push_back(scalar->second.path ? fromProject(folder, value) : value);
        } else {
            error = where(file, key.source()) + ": unknown key '" + name + "'";
            return false;
        }
    }
    return true;
}

}  // namespace

bool findProjectFile(ProjectFile& project, std::string& error) {
    const fs::path file = nearestProject();
    if (file.empty()) return true;
    std::error_code failure;
    project.path = fs::proximate(file, failure).string();
    if (failure) project.path = file.string();
    if (const std::string problem = trustProblem(file); !problem.empty()) {
        error = project.path + ": not used: it " + problem;
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        error = project.path + ": cannot be read";
        return false;
    }
    try {
        const toml::table table = toml::parse(text.str(), project.path);
        if (!readTable(project.path, table, project, error)) return false;
        if (project.scripts.empty())
            project.scripts.push_back(fromProject(file.parent_path(), "."));
        return true;
    } catch (const toml::parse_error& failed) {
        error = where(project.path, failed.source()) + ": " + std::string(failed.description());
        return false;
    }
}

std::vector<std::string> withProjectArguments(const ProjectFile& project,
                                              const std::vector<std::string>& commandLine) {
    const auto given = [&commandLine](const char* option) {
        return std::any_of(commandLine.begin(), commandLine.end(),
                           [option](const std::string& arg) {
                               return arg == option || arg.rfind(std::string(option) + "=", 0) == 0;
                           });
    };
    const bool inProcess = given("--no-fork");
    const bool remote = given("--remote");
    std::vector<std::string> arguments;
    for (std::size_t i = 0; i + 1 < project.arguments.size(); i += 2) {
        const std::string& option = project.arguments[i];
        if ((inProcess || remote) && option == "--jobs") continue;
        if (inProcess && option == "--timeout") continue;
        if (remote && option == "--load") continue;
        arguments.push_back(option);
        arguments.push_back(project.arguments[i + 1]);
    }
    arguments.insert(arguments.end(), commandLine.begin(), commandLine.end());
    return arguments;
}

}  // namespace zorrun
