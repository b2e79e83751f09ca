#include "ViewerSettings.h"

#include <QSettings>

#include <string>
#include <vector>

#include "Latin1Text.h"
#include "TraceSettings.h"
#include "ViewerDlg.h"

namespace {

const QString hostKey = QStringLiteral("remote/host");
const QString portKey = QStringLiteral("remote/port");
const QString depthKey = QStringLiteral("trace/depth");
const QString rootKey = QStringLiteral("trace/root");
const QString modulesKey = QStringLiteral("modules");
const QString geometryKey = QStringLiteral("window/geometry");

constexpr int highestPort = 65535;

void restoreRemote(remote::RemoteSession& session, const QSettings& settings) {
    const QString host = settings.value(hostKey).toString();
    bool isNumber = false;
    const int port = settings.value(portKey).toInt(&isNumber);
    session.setServer(host.isEmpty() ? session.getServer() : host.toStdString(),
                      isNumber && port > 0 && port <= highestPort ? port : session.getPortNumber());
}

void restoreTrace(viewer::TraceSettings& trace, const QSettings& settings) {
    bool isNumber = false;
    const int depth = settings.value(depthKey).toInt(&isNumber);
    const QString root = settings.value(rootKey, fromLatin1Text(trace.root)).toString();
    viewer::applyTrace(trace, isNumber ? depth : trace.depth, latin1Text(root));
}

std::vector<std::string> moduleNames(const QSettings& settings) {
    std::vector<std::string> names;
    for (const QString& name : settings.value(modulesKey).toStringList())
        names.push_back(fileNameBytes(name));
    return names;
}

}  // namespace

void restoreViewerSettings(ViewerDlg& dialog, QSettings& settings) {
    restoreRemote(dialog.remoteSession(), settings);
    restoreTrace(dialog.commands().traceSettings(), settings);
    const QByteArray geometry = settings.value(geometryKey).toByteArray();
    if (!geometry.isEmpty()) dialog.restoreGeometry(geometry);
    dialog.loadModules(moduleNames(settings));
}

void saveViewerSettings(ViewerDlg& dialog, QSettings& settings) {
    const remote::RemoteSession& session = dialog.remoteSession();
    settings.setValue(hostKey, QString::fromStdString(session.getServer()));
    settings.setValue(portKey, session.getPortNumber());
    const viewer::TraceSettings& trace = dialog.commands().traceSettings();
    settings.setValue(depthKey, trace.depth);
    settings.setValue(rootKey, fromLatin1Text(trace.root));
    QStringList modules;
    for (const std::string& path : dialog.modules().paths()) modules << fileNameText(path);
    settings.setValue(modulesKey, modules);
    settings.setValue(geometryKey, dialog.saveGeometry());
    settings.sync();
}
