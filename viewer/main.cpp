// ZorViewer: edits a test script, runs it through ZorLib and shows its output;
// `ZorViewer SCRIPT` runs the script without the dialog.
#include "ViewerApp.h"

int main(int argc, char** argv) {
    return ViewerApp::exec(argc, argv);
}
