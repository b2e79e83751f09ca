// zorrun.toml: a suite's default options, found in the current folder or the
// nearest one above it. The command line wins over every value in it.
#pragma once

#include <string>
#include <vector>

namespace zorrun {

struct ProjectFile {
    std::string path;  // empty when there is none
    // The file's values as the options they stand for ("--timeout", "30"),
    // each path made relative to the current folder.
    std::vector<std::string> arguments;
    // What "ZorRun" alone runs: scripts and folders of scripts (the project's
    // own folder unless the file names others).
    std::vector<std::string> scripts;
    // The names that a folder's scripts match (a shell glob).
    std::string pattern = "*.zor.txt";
};

// False, with error set, when a project file is there but cannot be used:
// unreadable, not valid TOML, an unknown key, or a file that another user
// could have written (its modules would run as this user).
bool findProjectFile(ProjectFile& project, std::string& error);

// The project's options first, so that the command line's override them;
// the ones the command line rules out (--no-fork, --remote) are left out.
std::vector<std::string> withProjectArguments(const ProjectFile& project,
                                              const std::vector<std::string>& commandLine);

}  // namespace zorrun
