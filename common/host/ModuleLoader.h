// Loads shared modules of native test functions. A module's static ZorCall
// objects register its functions with the library as it is loaded.
#pragma once

#include <string>

namespace host {

// Loads the module for the rest of the process; false with the reason when it
// cannot be read, is not a loadable shared library, or registers no function.
bool loadModule(const std::string& path, std::string& reason);

}  // namespace host
