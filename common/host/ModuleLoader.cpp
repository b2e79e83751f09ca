#include "host/ModuleLoader.h"

#include <dlfcn.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "ZorLib.h"

namespace host {

namespace {

// The loader's message without the file name it starts with, which the
// caller's message names already.
std::string loaderReason(const std::string& path) {
    const char* text = dlerror();
    std::string reason = text ? text : "unknown reason";
    const std::string prefix = path + ": ";
    if (reason.rfind(prefix, 0) == 0) reason.erase(0, prefix.size());
    return reason;
}

}  // namespace

bool loadModule(const std::string& path, std::string& reason) {
    // A name without a slash would be searched on the library path; the user
    // means the file of that name.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    if (access(file.c_str(), R_OK) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    // Loading a module again registers nothing new, yet it is not an error.
    if (void* loaded = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
        dlclose(loaded);
        return true;
    }
    dlerror();  // forget the failed look-up above
    const int registeredBefore = ZorCall::getCtr();
    void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!module) {
        reason = "not a loadable shared library (" + loaderReason(file) + ")";
        return false;
    }
    if (ZorCall::getCtr() == registeredBefore) {
        dlclose(module);
        reason = "registers no test function";
        return false;
    }
    return true;
}

}  // namespace host
