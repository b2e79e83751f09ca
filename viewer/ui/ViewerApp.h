// Start-up of the viewer: a batch run when the command line names a script,
// the main dialog otherwise.
#pragma once

#include <string>
#include <vector>

#include "BatchRun.h"

class ViewerApp {
public:
    // Runs the program and answers its exit status.
    static int exec(int argc, char** argv);

private:
    static int runBatch(char** argv, const viewer::BatchArguments& arguments);
    static int runDialog(int argc, char** argv, const std::vector<std::string>& modules);
    // Message boxes, only where a display answers: Qt would end the process
    // and the run's exit status with it.
    static void showMessages(char* program, const std::vector<std::string>& messages);
};
