// The modules of native test functions loaded into this process, kept in the
// order they were loaded, so that the next session can load them again.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace viewer {

// False with the reason when the module cannot be loaded (host::loadModule).
using ModuleLoader = std::function<bool(const std::string& path, std::string& reason)>;

class ModuleList {
public:
    explicit ModuleList(ModuleLoader loader);

    // Loads the module and keeps its absolute path, since the dialog's working
    // directory follows the files the user opens. The answer is empty when it
    // is loaded, or was before; otherwise "PATH: cannot load module: REASON",
    // and the list stays as it was.
    std::string load(const std::string& path);
    // Every path of the list, one after the other; the failures' answers,
    // joined by "; ".
    std::string loadAll(const std::vector<std::string>& paths);

    const std::vector<std::string>& paths() const { return loaded; }

private:
    ModuleLoader loadModule;
    std::vector<std::string> loaded;
};

}  // namespace viewer
