#include "ProjectArguments.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace zorrun {

namespace {

using Option = std::pair<std::string, std::string>;

std::string faultText(const std::string& path, const host::ProjectFault& fault) {
    const std::string place = host::faultPlace(path, fault);
    return place + (fault.untrusted ? ": not used: it " : ": ") + fault.reason;
}

// In the order of the keys' names, so that of two faulty values the one
// reported first does not depend on how the file is laid out.
std::vector<Option> projectOptions(const host::ProjectFile& project) {
    std::vector<Option> options;
    const auto add = [&options](const char* option, const std::string& value) {
        if (!value.empty()) options.emplace_back(option, value);
    };
    add("--color", project.color);
    add("--html", project.html);
    add("--jobs", project.jobs);
    add("--json", project.json);
    add("--junit", project.junit);
    add("--junit-family", project.junitFamily);
    add("--maxfail", project.maxfail);
    for (const std::string& module : project.modules) add("--load", module);
    add("--timeout", project.timeout);
    return options;
}

}  // namespace

bool findProjectFile(host::ProjectFile& project, std::string& error) {
    std::error_code failure;
    const std::string here = std::filesystem::current_path(failure).string();
    host::ProjectFault fault;
    if (failure || host::readProjectFile(here, project, fault)) return true;
    error = faultText(project.path, fault);
    return false;
}

std::vector<std::string> withProjectArguments(const host::ProjectFile& project,
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
    for (const auto& [option, value] : projectOptions(project)) {
        if ((inProcess || remote) && option == "--jobs") continue;
        if (inProcess && option == "--timeout") continue;
        if (remote && option == "--load") continue;
        arguments.push_back(option);
        arguments.push_back(value);
    }
    arguments.insert(arguments.end(), commandLine.begin(), commandLine.end());
    return arguments;
}

}  // namespace zorrun
