// Modules of native test functions, loaded into the running viewer: their
// functions are registered with the library for every later run.
#include <QFileDialog>
#include <QStatusBar>

#include "Latin1Text.h"
#include "ViewerDlg.h"

namespace {

const QString moduleFilter = QStringLiteral("Modules (*.so);;All Files (*)");

}  // namespace

// A module that cannot be loaded changes nothing but the status line.
void ViewerDlg::loadModule() {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Load module"), QString(), moduleFilter);
    if (path.isEmpty()) return;
    const std::string failure = moduleList.load(fileNameBytes(path));
    statusLine->showMessage(failure.empty() ? tr("module %1 loaded").arg(path)
                                            : fileNameText(failure));
}

void ViewerDlg::loadModules(const std::vector<std::string>& paths) {
    const std::string failures = moduleList.loadAll(paths);
    if (!failures.empty()) statusLine->showMessage(fileNameText(failures));
}
