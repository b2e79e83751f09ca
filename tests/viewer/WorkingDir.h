// A test's working directory, restored when the test is over.
#pragma once

#include <filesystem>

class WorkingDir {
public:
    explicit WorkingDir(const std::filesystem::path& path)
        : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~WorkingDir() { std::filesystem::current_path(previous); }
    WorkingDir(const WorkingDir&) = delete;
    WorkingDir& operator=(const WorkingDir&) = delete;

private:
    std::filesystem::path previous;
};
