#include "ViewerApp.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BatchRun.h"
#include "Latin1Text.h"
#include "LinkedLibrary.h"
#include "ViewerDlg.h"

namespace {

bool hasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform &&
        (std::strncmp(platform, "offscreen", 9) == 0 || std::strncmp(platform, "minimal", 7) == 0))
        return false;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value && value[0]) return true;
    }
    return false;
}

}  // namespace

int ViewerApp::exec(int argc, char** argv) {
    const std::string scriptFile = viewer::batchInputName(argc, argv);
    return scriptFile.empty() ? runDialog(argc, argv) : runBatch(argc, argv, scriptFile);
}

int ViewerApp::runBatch(int argc, char** argv, const std::string& scriptFile) {
    viewer::LinkedLibrary library;
    const viewer::BatchOutcome outcome = viewer::runBatch(library, scriptFile);
    tell(argc, argv, outcome.messages);
    return outcome.status;
}

int ViewerApp::runDialog(int argc, char** argv) {
    QApplication application(argc, argv);
    viewer::LinkedLibrary library;
    ViewerDlg dialog(library);
    dialog.exec();
    return 0;
}

void ViewerApp::tell(int argc, char** argv, const std::vector<std::string>& messages) {
    if (messages.empty()) return;
    if (!hasDisplay()) {
        for (const std::string& message : messages) {
            std::fputs(message.c_str(), stderr);
            if (message.empty() || message.back() != '\n') std::fputc('\n', stderr);
        }
        return;
    }
    QApplication application(argc, argv);
    for (const std::string& message : messages)
        QMessageBox::information(nullptr, QStringLiteral("ZorViewer"), fromLatin1Text(message));
}
