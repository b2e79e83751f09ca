// Start-up of the viewer: a batch run when the command line names a script,
// the main dialog otherwise.
#pragma once

#include <string>
#include <vector>

class ViewerApp {
public:
    // Runs the program and answers its exit status.
    static int exec(int argc, char** argv);

private:
    static int runBatch(int argc, char** argv, const std::string& scriptFile);
    static int runDialog(int argc, char** argv);
    // Message boxes where a display can show them, stderr everywhere else.
    static void tell(int argc, char** argv, const std::vector<std::string>& messages);
};
