#include "ViewerApp.h"

#include <QApplication>
#include <QMessageBox>
#include <QSettings>

#include <cstdio>

#include "BatchRun.h"
#include "DisplayProbe.h"
#include "Latin1Text.h"
#include "LinkedLibrary.h"
#include "ViewerDlg.h"
#include "ViewerSettings.h"
#include "host/ExitStatus.h"
#include "host/ModuleLoader.h"

int ViewerApp::exec(int argc, char** argv) {
    const viewer::BatchArguments arguments = viewer::parseBatchArguments(argc, argv);
    switch (arguments.command) {
        case viewer::BatchCommand::help:
            std::fputs(viewer::batchUsageText(), stdout);
            return host::exitPassed;
        case viewer::BatchCommand::version:
            std::printf("ZorViewer %s\n", ZORVIEWER_VERSION);
            return host::exitPassed;
        case viewer::BatchCommand::badArguments:
            std::fprintf(stderr, "ZorViewer: %s\nTry 'ZorViewer --help' for more information.\n",
                         arguments.error.c_str());
            return host::exitError;
        case viewer::BatchCommand::run:
            return runBatch(argv, arguments);
        case viewer::BatchCommand::dialog:
            break;
    }
    return runDialog(argc, argv, arguments.modules);
}

// stderr hears everything, display or not, so that a script that starts the
// viewer reads the same lines wherever it runs.
int ViewerApp::runBatch(char** argv, const viewer::BatchArguments& arguments) {
    viewer::LinkedLibrary library;
    viewer::ModuleList modules(host::loadModule);
    const viewer::BatchOutcome outcome = viewer::runBatch(library, modules, arguments);
    for (const std::string& line : outcome.errorLines) std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    if (!outcome.messages.empty() && viewer::batchMayAsk(arguments) && viewer::displayAnswers())
        showMessages(argv[0], outcome.messages);
    return outcome.status;
}

// The remembered modules load before the command line's, so that a module
// given again is kept in its first place.
int ViewerApp::runDialog(int argc, char** argv, const std::vector<std::string>& modules) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zor"));
    QApplication::setApplicationName(QStringLiteral("ZorViewer"));
    viewer::LinkedLibrary library;
    ViewerDlg dialog(library);
    QSettings settings;
    restoreViewerSettings(dialog, settings);
    dialog.loadModules(modules);
    dialog.exec();
    saveViewerSettings(dialog, settings);
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
