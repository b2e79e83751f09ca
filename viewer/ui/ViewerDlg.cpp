#include "ViewerDlg.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>

#include "Latin1Text.h"
#include "NtOptionDlg.h"
#include "PaneText.h"
#include "RemoteLink.h"
#include "TraceOptionDlg.h"
#include "host/ModuleLoader.h"
#include "run/Parse.h"

namespace {

const QString defaultInput = QStringLiteral("in.txt");
const QString fileFilter = QStringLiteral("Text Files(*.txt);;All Files(*.*)");

// The library's wait loop calls this while a test waits for notifications,
// so that the dialog keeps painting and answering meanwhile.
int dispatchPendingEvent() {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    return dispatcher && dispatcher->processEvents(QEventLoop::AllEvents) ? 1 : 0;
}

QIcon programIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2e, 0x6d, 0xb4));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(1, 1, 30, 30, 6, 6);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawLine(9, 9, 23, 9);
    painter.drawLine(23, 9, 9, 23);
    painter.drawLine(9, 23, 23, 23);
    return QIcon(pixmap);
}

}  // namespace

ViewerDlg::ViewerDlg(viewer::LibraryAccess& library, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      scriptCommands(*this, library),
      moduleList(host::loadModule),
      serverSession(*this, displayRecords) {
    setFont(QFont(QStringLiteral("Arial"), 10));
    createControls();
    createMenus();
    createRemote();
    createKeys();
    scriptSearch = std::make_unique<PlainTextPane>(scriptPane);
    outputSearch = std::make_unique<PlainTextPane>(outputPane);
    searchPane = outputSearch.get();

    setWindowIcon(programIcon());
    connect(inputField, &QLineEdit::textChanged, this, &ViewerDlg::updateTitle);
    connect(scriptPane->document(), &QTextDocument::modificationChanged, this,
            &QWidget::setWindowModified);
    connect(scriptPane->document(), &QTextDocument::contentsChanged, this,
            [this] { unsentEdits = true; });
    inputField->setText(defaultInput);
    setMinimumSize(viewer::minimumWidth, viewer::minimumHeight);
    move(0, 0);
    resize(895, 670);
    layoutControls(width(), height());

    qApp->installEventFilter(this);
    Parse::setDispatchHook(dispatchPendingEvent);
    // What a first Save writes must be what the user saw.
    if (QFileInfo::exists(defaultInput)) scriptCommands.loadInput();
}

ViewerDlg::~ViewerDlg() {
    Parse::setDispatchHook(nullptr);
    qApp->removeEventFilter(this);
}

void ViewerDlg::run() {
    scriptCommands.runScript();
    showConnection();
}

void ViewerDlg::reread() {
    if (scriptCommands.settleEdits()) scriptCommands.loadInput();
}

void ViewerDlg::save() {
    scriptCommands.saveInput(inputFileName());
}

void ViewerDlg::clearLog() {
    outputPane->clear();
    outputField->clear();
    clearDisplayList();
    repaintGraphic();
}

void ViewerDlg::newScript() {
    if (!scriptCommands.settleEdits()) return;
    inputField->setText(defaultInput);
    if (!graphicShown) outputPane->clear();
    outputField->clear();
    scriptCommands.startNew();
    clearDisplayList();
}

void ViewerDlg::open() {
    if (!scriptCommands.settleEdits()) return;
    const QString path = QFileDialog::getOpenFileName(this, QString(), QString(), fileFilter);
    if (!takeChosenFile(path) || !scriptCommands.loadInput()) return;
    // The output and the messages were about the file that was open before.
    outputPane->clear();
    outputField->clear();
    outputField->setToolTip(QString());
    statusLine->clearMessage();
}

void ViewerDlg::saveAs() {
    if (scriptCommands.busy()) return;
    const QString path = QFileDialog::getSaveFileName(this, QString(), QString(), fileFilter,
                                                      nullptr, QFileDialog::DontConfirmOverwrite);
    const QString formerDir = QDir::currentPath();
    const QString formerName = inputField->text();
    if (!takeChosenFile(path) || scriptCommands.saveInput(inputFileName())) return;
    // A refused or failed save leaves the pane with the file it came from.
    QDir::setCurrent(formerDir);
    inputField->setText(formerName);
}

void ViewerDlg::exitViewer() {
    if (!scriptCommands.settleEdits()) return;
    clearDisplayList();
    done(QDialog::Accepted);
}

void ViewerDlg::showFileMenu() {
    fileMenu->exec(fileButton->mapToGlobal(QPoint(0, fileButton->height())));
}

void ViewerDlg::showSettingsMenu() {
    settingsMenu->exec(settingsButton->mapToGlobal(QPoint(0, settingsButton->height())));
}

void ViewerDlg::searchBack() {
    search(viewer::SearchDirection::backward);
}

void ViewerDlg::searchForward() {
    search(viewer::SearchDirection::forward);
}

void ViewerDlg::showTraceSettings() {
    TraceOptionDlg dialog(scriptCommands.traceSettings(), this);
    dialog.exec();
}

void ViewerDlg::showRemoteSettings() {
    if (scriptCommands.busy()) return;
    remoteDialog->exec();
    showConnection();
}

// A server lost between runs is announced when the ping finds it gone, so
// that the next run is not quietly local.
void ViewerDlg::showConnection() {
    const QString now =
        serverSession.connected() ? fileNameText(serverSession.address()) : QString();
    if (now == connectedTo) return;
    if (now.isEmpty()) {
        const QString lost = tr("connection to %1 lost: runs are local").arg(connectedTo);
        connectionLabel->setText(lost);
        if (!scriptCommands.busy()) statusLine->showMessage(lost);
    } else {
        connectionLabel->setText(tr("remote %1").arg(now));
    }
    connectedTo = now;
}

// Runs go to the test server while it is connected; the settings dialog
// connects through the session, with this dialog as its parent window, which
// runs the ping timer and the event runs.
void ViewerDlg::createRemote() {
    remoteLink = new RemoteLink(serverSession, scriptCommands, this);
    connect(remoteLink, &RemoteLink::pinged, this, &ViewerDlg::showConnection);
    scriptCommands.setRemote(&serverSession);
    remoteDialog = new NtOptionDlg(this);
    remoteDialog->bind(
        remoteLink,
        [this](remote::RemoteHost* parent, int wanted, const std::string& name, int port) {
            return serverSession.applyRemote(parent, wanted, name, port);
        },
        [this](const remote::RemoteHost* parent, remote::RemoteSettings& settings) {
            return serverSession.queryRemote(parent, settings);
        });
    remoteDialog->bindOutputFolder(
        [this](const std::string& typed) { return serverSession.setOutputFolder(typed); },
        [this] { return serverSession.getOutputFolder(); });
}

void ViewerDlg::showTextlog() {
    setOutputMode(false);
}

void ViewerDlg::showGraphic() {
    setOutputMode(true);
}

// The field keeps only the bare name, so the working directory follows the
// chosen folder, and later runs and saves find the file there.
bool ViewerDlg::takeChosenFile(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo chosen(path);
    QDir::setCurrent(chosen.absolutePath());
    inputField->setText(chosen.fileName());
    return true;
}

void ViewerDlg::updateTitle() {
    setWindowTitle(inputField->text() + QStringLiteral("[*] - ZorViewer 1.56B"));
}

void ViewerDlg::search(viewer::SearchDirection direction) {
    const bool showsGraphic = graphicShown && searchPane == outputSearch.get();
    const std::string needle = searchPane->encode(searchField->text());
    const std::string said = viewer::searchOutcomeText(
        viewer::search(searchPane, showsGraphic, needle, direction), needle);
    if (!said.empty()) statusLine->showMessage(decodeText(said, searchPane->encoding()));
}
