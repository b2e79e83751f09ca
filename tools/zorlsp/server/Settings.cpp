#include "Settings.h"

#include <cctype>
#include <filesystem>

#include "host/ProjectFile.h"

namespace zorlsp {

namespace {

namespace fs = std::filesystem;

int hexValue(char digit) {
    if (std::isdigit(static_cast<unsigned char>(digit))) return digit - '0';
    const int lower = std::tolower(static_cast<unsigned char>(digit));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

std::string fromFolder(const std::string& folder, const std::string& entry) {
    const fs::path path =
        fs::path(entry).is_absolute() ? fs::path(entry) : fs::path(folder) / entry;
    return path.lexically_normal().string();
}

std::string faultText(const std::string& file, const host::ProjectFault& fault) {
    const std::string place = host::faultPlace(file, fault);
    return place + (fault.untrusted ? " " : ": ") + fault.reason;
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

// The file is read as ZorRun reads it, and refused whole as ZorRun refuses
// it: the runs started here would stop on it anyway.
bool readProjectFile(const std::string& root, Settings& settings, std::string& problem) {
    if (root.empty()) return true;
    host::ProjectFile project;
    host::ProjectFault fault;
    if (!host::readProjectFile(root, project, fault)) {
        problem = faultText(fromFolder(root, project.path), fault);
        return false;
    }
    for (const std::string& module : project.modules)
        settings.modules.push_back(fromFolder(root, module));
    if (!project.json.empty()) settings.jsonReport = fromFolder(root, project.json);
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
