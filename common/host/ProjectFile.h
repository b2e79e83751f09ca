// zorrun.toml: a suite's default options, found in a starting folder or the
// nearest one above it. ZorRun starts from the current folder, ZorLsp from
// the workspace's root, so that both read the file a run there would use.
#pragma once

#include <string>
#include <vector>

namespace host {

// The file writes its paths from its own folder; here they, and the file's
// own path, are given from the starting folder (relative when they can be),
// except that an absolute path stays as written.
struct ProjectFile {
    std::string path;  // empty when there is none
    std::vector<std::string> modules;
    // Scripts and folders of scripts: the project's folder unless the file
    // names others.
    std::vector<std::string> scripts;
    std::string pattern = "*.zor.txt";  // the names a folder's scripts match (a shell glob)
    // The other keys as written, a number as its digits; empty when absent.
    std::string timeout;
    std::string jobs;
    std::string maxfail;
    std::string color;
    std::string junitFamily;
    std::string junit;  // paths
    std::string json;
    std::string html;
};

// Why a project file that is there cannot be used.
struct ProjectFault {
    // Where in the text, for a fault in it; 0 when the fault is the file's.
    int line = 0;
    int column = 0;
    std::string reason;
    // Refused unread: it could have been written by someone else, or it is
    // no regular file, or it is too large.
    bool untrusted = false;
};

// The nearest project file from startFolder up, read whole. True when there
// is none or it is usable; false with the fault (and project.path) when it is
// unreadable, not valid TOML, has an unknown key or a value of the wrong
// kind, or is untrusted: its modules would run as this user, so one that
// another user owns or may write is refused.
bool readProjectFile(const std::string& startFolder, ProjectFile& project, ProjectFault& fault);

// "FILE:LINE:COLUMN" for a fault in the text, the file alone for the others.
std::string faultPlace(const std::string& file, const ProjectFault& fault);

}  // namespace host
