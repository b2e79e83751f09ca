// A fresh directory per test, removed again afterwards, plus small file helpers.
#pragma once

#include <filesystem>
#include <string>

namespace zortest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return dir; }
    std::string file(const std::string& name) const { return (dir / name).string(); }

private:
    std::filesystem::path dir;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

}  // namespace zortest
