// What the client and the project file say about the workspace: the modules
// whose test functions scripts name, and where ZorRun's last reports lie.
#pragma once

#include <string>
#include <vector>

#include "Rpc.h"

namespace zorlsp {

struct Settings {
    std::string root;  // the workspace folder, "" when the client named none
    std::vector<std::string> modules;
    // Those the client named: a run is given them, the project file's it reads itself.
    std::vector<std::string> clientModules;
    std::string jsonReport;  // ZorRun's JSON report, from the project's json key
    std::string zorrun;      // ZorRun's path when the client names one
};

// A file URI's path, "" for any other URI.
std::string uriPath(const std::string& uri);
std::string pathUri(const std::string& path);

// The project file that ZorRun started in root would read: zorrun.toml in root
// or the nearest folder above. False with the reason when ZorRun would refuse
// it too (untrusted, malformed, an unknown key); nothing of it is used then.
bool readProjectFile(const std::string& root, Settings& settings, std::string& problem);
// initialize's parameters: the root and the client's initializationOptions.
void readClientSettings(const Json& params, Settings& settings);

}  // namespace zorlsp
