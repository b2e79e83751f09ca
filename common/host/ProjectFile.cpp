#include "host/ProjectFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <toml++/toml.h>
#include <filesystem>
#include <map>
#include <optional>

#include "host/PosixFiles.h"

namespace host {

namespace {

namespace fs = std::filesystem;

constexpr const char* projectName = "zorrun.toml";
constexpr std::size_t maxProjectSize = 1 << 20;

// Where the file was found and where its values are given from.
struct Places {
    fs::path folder;  // the file's
    fs::path start;
};

// The keys that hold one value, and whether the value is a path.
struct ScalarKey {
    std::string ProjectFile::*value;
    bool path;
};

const std::map<std::string, ScalarKey>& scalarKeys() {
    static const std::map<std::string, ScalarKey> keys = {
        {"timeout", {&ProjectFile::timeout, false}},
        {"jobs", {&ProjectFile::jobs, false}},
        {"junit", {&ProjectFile::junit, true}},
        {"json", {&ProjectFile::json, true}},
        {"html", {&ProjectFile::html, true}},
        {"color", {&ProjectFile::color, false}},
        {"junit_family", {&ProjectFile::junitFamily, false}},
        {"maxfail", {&ProjectFile::maxfail, false}},
    };
    return keys;
}

fs::path absoluteFolder(const std::string& start, std::error_code& error) {
    fs::path folder = fs::absolute(start, error).lexically_normal();
    // "/a/b/" would otherwise be looked in twice, as itself and as "/a/b".
    if (!folder.has_filename() && folder != folder.root_path()) folder = folder.parent_path();
    return folder;
}

fs::path nearestProject(const fs::path& start) {
    // A folder that cannot be looked in ends the search: a file above it
    // would not be the nearest for sure.
    std::error_code error;
    for (fs::path folder = start; !error && !folder.empty(); folder = folder.parent_path()) {
        const fs::path candidate = folder / projectName;
        if (fs::exists(candidate, error)) return candidate;
        if (folder == folder.root_path()) break;
    }
    return {};
}

// Relative to the starting folder when it can be, as a user would write it.
std::string fromStart(const fs::path& path, const fs::path& start) {
    std::error_code error;
    const fs::path near = fs::proximate(path, start, error);
    return (error ? path : near).lexically_normal().string();
}

// An absolute path is kept as written: made relative, it would lead up from
// the starting folder's real place, not from the folder a caller names.
std::string fromProject(const Places& places, const std::string& entry) {
    if (fs::path(entry).is_absolute()) return fs::path(entry).lexically_normal().string();
    return fromStart(places.folder / entry, places.start);
}

std::string trustProblem(const struct stat& status) {
    if (!S_ISREG(status.st_mode)) return "is not a regular file";
    if (status.st_uid != getuid() && status.st_uid != 0) return "belongs to another user";
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) return "may be written by other users";
    if (status.st_size > static_cast<off_t>(maxProjectSize)) return "is larger than 1 MiB";
    return "";
}

bool refuse(ProjectFault& fault, const std::string& reason, bool untrusted) {
    fault.reason = reason;
    fault.untrusted = untrusted;
    return false;
}

// What was checked is what is read: the descriptor, not the name, so that a
// file put in its place after the check is never read, and a FIFO cannot
// keep the open waiting.
bool readTrusted(const fs::path& file, std::string& text, ProjectFault& fault) {
    struct stat status;
    const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        // The owner and the mode are told first, as for a file that opens.
        if (stat(file.c_str(), &status) != 0) return refuse(fault, "cannot be examined", true);
        const std::string problem = trustProblem(status);
        return refuse(fault, problem.empty() ? "cannot be read" : problem, !problem.empty());
    }
    const bool examined = fstat(fd, &status) == 0;
    const std::string problem = examined ? trustProblem(status) : "cannot be examined";
    auto bytes = problem.empty() ? readAll(fd, maxProjectSize) : std::nullopt;
    close(fd);
    if (!problem.empty()) return refuse(fault, problem, true);
    if (!bytes) return refuse(fault, "cannot be read", false);
    // Grown since it was examined.
    if (bytes->size() > maxProjectSize) return refuse(fault, "is larger than 1 MiB", true);
    text = std::move(*bytes);
    return true;
}

bool faultAt(ProjectFault& fault, const toml::source_region& source, const std::string& reason) {
    fault.line = static_cast<int>(source.begin.line);
    fault.column = static_cast<int>(source.begin.column);
    return refuse(fault, reason, false);
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

bool readList(const Places& places, const std::string& name, const toml::node& node,
              ProjectFile& project, ProjectFault& fault) {
    std::vector<std::string> values;
    if (!readStrings(node, values))
        return faultAt(fault, node.source(), name + " expects a list of names");
    auto& into = name == "scripts" ? project.scripts : project.modules;
    for (const std::string& value : values) into.push_back(fromProject(places, value));
    return true;
}

bool readKey(const Places& places, const std::string& name, const toml::node& node,
             ProjectFile& project, ProjectFault& fault) {
    if (name == "pattern") {
        project.pattern = scalarText(node);
        return !project.pattern.empty() ||
               faultAt(fault, node.source(), "pattern expects a shell glob");
    }
    const ScalarKey& key = scalarKeys().at(name);
    const std::string value = scalarText(node);
    if (value.empty()) return faultAt(fault, node.source(), name + " expects a number or a text");
    project.*key.value = key.path ? fromProject(places, value) : value;
    return true;
}

bool readTable(const Places& places, const toml::table& table, ProjectFile& project,
               ProjectFault& fault) {
    for (const auto& [key, node] : table) {
        const std::string name(key.str());
        bool read = false;
        if (name == "modules" || name == "scripts")
            read = readList(places, name, node, project, fault);
        else if (name == "pattern" || scalarKeys().contains(name))
            read = readKey(places, name, node, project, fault);
        else
            read = faultAt(fault, key.source(), "unknown key '" + name + "'");
        if (!read) return false;
    }
    if (project.scripts.empty()) project.scripts.push_back(fromProject(places, "."));
    return true;
}

}  // namespace

bool readProjectFile(const std::string& startFolder, ProjectFile& project, ProjectFault& fault) {
    std::error_code error;
    const fs::path start = absoluteFolder(startFolder, error);
    const fs::path file = error ? fs::path() : nearestProject(start);
    if (file.empty()) return true;
    project.path = fromStart(file, start);
    std::string text;
    if (!readTrusted(file, text, fault)) return false;
    try {
        const toml::table table = toml::parse(text, project.path);
        return readTable({file.parent_path(), start}, table, project, fault);
    } catch (const toml::parse_error& failed) {
        return faultAt(fault, failed.source(), std::string(failed.description()));
    }
}

std::string faultPlace(const std::string& file, const ProjectFault& fault) {
    if (fault.line == 0) return file;
    return file + ":" + std::to_string(fault.line) + ":" + std::to_string(fault.column);
}

}  // namespace host
