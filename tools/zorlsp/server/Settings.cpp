#include "Settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <toml++/toml.h>
#include <cctype>
#include <filesystem>

namespace zorlsp {

namespace {

namespace fs = std::filesystem;

constexpr off_t maxProjectSize = 1 << 20;

int hexValue(char digit) {
    if (std::isdigit(static_cast<unsigned char>(digit))) return digit - '0';
    const int lower = std::tolower(static_cast<unsigned char>(digit));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

std::string trustProblem(const std::string& file) {
    struct stat status;
    if (stat(file.c_str(), &status) != 0) return "";
    if (!S_ISREG(status.st_mode)) return "is not a regular file";
    if (status.st_uid != getuid() && status.st_uid != 0) return "belongs to another user";
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) return "may be written by other users";
    if (status.st_size > maxProjectSize) return "is larger than 1 MiB";
    return "";
}

std::string fromFolder(const std::string& folder, const std::string& entry) {
    const fs::path path =
        fs::path(entry).is_absolute() ? fs::path(entry) : fs::path(folder) / entry;
    return path.lexically_normal().string();
}

}  // namespace

std::string uriPath(const std::string& uri) {
    constexpr std::string_view scheme = "file://";
    if (!uri.starts_with(scheme)) return "";
    std::string path;
    for (std::size_t at = scheme.size(); at < uri.size(); ++at) {
        if (uri[at] == '%' && at + 2 < uri.size() && hexValue(uri[at + 1]) >= 0 &&
            hexValue(uri[at + 2]) >= 0) {
            path += static_cast<char>(hexValue(uri[at + 1]) * 16 + hexValue(uri[at + 2]));
            at += 2;
        } else {
            path += uri[at];
        }
    }
    // A path with a NUL byte names no file.
    return path.starts_with('/') && path.find('\0') == std::string::npos ? path : "";
}

std::string pathUri(const std::string& path) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::string_view("/-._~").find(c) != std::string_view::npos) {
            uri += c;
        } else {
            uri += '%';
            uri += hex[byte >> 4];
            uri += hex[byte & 15];
        }
    }
    return uri;
}

bool readProjectFile(const std::string& root, Settings& settings, std::string& problem) {
    if (root.empty()) return true;
    const std::string file = fromFolder(root, "zorrun.toml");
    if (access(file.c_str(), F_OK) != 0) return true;
    problem = trustProblem(file);
    if (!problem.empty()) {
        problem = file + " " + problem;
        return false;
    }
    toml::table table;
    try {
        table = toml::parse_file(file);
    } catch (const toml::parse_error& failed) {
        problem = file + ": " + std::string(failed.description());
        return false;
    }
    if (const toml::array* modules = table["modules"].as_array()) {
        for (const toml::node& item : *modules)
            if (const auto name = item.value<std::string>(); name && !name->empty())
                settings.modules.push_back(fromFolder(root, *name));
    }
    if (const auto json = table["json"].value<std::string>(); json && !json->empty())
        settings.jsonReport = fromFolder(root, *json);
    return true;
}

void readClientSettings(const Json& params, Settings& settings) {
    if (params.contains("rootUri") && params["rootUri"].is_string())
        settings.root = uriPath(params["rootUri"].get<std::string>());
    else if (params.contains("rootPath") && params["rootPath"].is_string())
        settings.root = params["rootPath"].get<std::string>();
    const Json options = params.value("initializationOptions", Json::object());
    if (!options.is_object()) return;
    if (options.contains("modules") && options["modules"].is_array())
        for (const Json& module : options["modules"])
            if (module.is_string()) {
                settings.modules.push_back(fromFolder(settings.root, module));
                settings.clientModules.push_back(settings.modules.back());
            }
    if (options.contains("zorrun") && options["zorrun"].is_string())
        settings.zorrun = options["zorrun"].get<std::string>();
}

}  // namespace zorlsp
