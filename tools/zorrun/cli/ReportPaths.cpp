#include "ReportPaths.h"

#include <sys/stat.h>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zorrun {

namespace {

// The folder resolved, links and all, and the last name as it is: a file that
// does not exist yet still has a place that can be compared.
std::string placeOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
    char resolved[PATH_MAX];
    if (!realpath(folder.c_str(), resolved)) return "";
    return std::string(resolved) + "/" + file.substr(slash == std::string::npos ? 0 : slash + 1);
}

bool samePlace(const std::string& file, const std::string& other) {
    const std::string place = placeOf(file);
    return !place.empty() && place == placeOf(other);
}

}  // namespace

std::string reportPathProblem(const std::string& file, const std::string& lockFile) {
    struct stat report, lock;
    const bool exists = stat(file.c_str(), &report) == 0;
    if (exists && !lockFile.empty() && stat(lockFile.c_str(), &lock) == 0 &&
        report.st_dev == lock.st_dev && report.st_ino == lock.st_ino)
        return "it is the output lock file " + lockFile;
    if (!lockFile.empty() && samePlace(file, lockFile))
        return "it is the output lock file " + lockFile;
    // Said as the open would say it, which the report page's check does.
    if (exists && S_ISDIR(report.st_mode)) return "Is a directory";
    if (exists && !S_ISREG(report.st_mode)) return "it is not a regular file";
    return "";
}

bool makeReportFolder(const std::string& file, std::string& reason) {
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    std::error_code error;
    if (folder.empty() || std::filesystem::is_directory(folder, error)) return true;
    std::filesystem::create_directories(folder, error);
    if (error) reason = error.message();
    return !error;
}

}  // namespace zorrun
