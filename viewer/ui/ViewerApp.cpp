#include "ViewerApp.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

#include "BatchRun.h"
#include "DisplayProbe.h"
#include "Latin1Text.h"
#include "LinkedLibrary.h"
#include "ViewerDlg.h"
#include "host/ExitStatus.h"

int ViewerApp::exec(int argc, char** argv) {
    const viewer::BatchArguments arguments = viewer::parseBatchArguments(argc, argv);
    switch (arguments.command) {
        case viewer::BatchCommand::help:
            std::fputs(viewer::batchUsageText(), stdout);
            return host::exitPassed;
        case viewer::BatchCommand::badArguments:
            std::fprintf(stderr, "ZorViewer: %s\nTry 'ZorViewer --help' for more information.\n",
                         arguments.error.c_str());
            return host::exitError;
        case viewer::BatchCommand::run:
            return runBatch(argv, arguments.scriptFile);
        case viewer::BatchCommand::dialog:
            break;
    }
    return runDialog(argc, argv);
}

// stderr hears everything, display or not, so that a script that starts the
// viewer reads the same lines wherever it runs.
int ViewerApp::runBatch(char** argv, const std::string& scriptFile) {
    viewer::LinkedLibrary library;
    const viewer::BatchOutcome outcome = viewer::runBatch(library, scriptFile);
    for (const std::string& line : outcome.errorLines) std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    if (!outcome.messages.empty() && viewer::displayAnswers())
        showMessages(argv[0], outcome.messages);
    return outcome.status;
}

int ViewerApp::runDialog(int argc, char** argv) {
    QApplication application(argc, argv);
    viewer::LinkedLibrary library;
    ViewerDlg dialog(library);
    dialog.exec();
    return 0;
}

// Qt sees the program's name alone, so that a script named "-style" is not
// taken for one of its options.
void ViewerApp::showMessages(char* program, const std::vector<std::string>& messages) {
    int qtArgc = 1;
    char* qtArgv[] = {program, nullptr};
    QApplication application(qtArgc, qtArgv);
    for (const std::string& message : messages)
        QMessageBox::information(nullptr, QStringLiteral("ZorViewer"), fromLatin1Text(message));
}
