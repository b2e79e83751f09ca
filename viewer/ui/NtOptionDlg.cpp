#include "NtOptionDlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Latin1Text.h"
#include "RemoteStatus.h"

namespace {

QGroupBox* groupAround(const QString& caption, QWidget* field) {
    auto* group = new QGroupBox(caption);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(field);
    return group;
}

QLineEdit* newField(const char* name) {
    auto* field = new QLineEdit;
    field->setObjectName(QLatin1String(name));
    return field;
}

}  // namespace

NtOptionDlg::NtOptionDlg(QWidget* parent)
    : QDialog(parent),
      serverField(newField("server")),
      portField(newField("port")),
      remoteBox(new QCheckBox(tr("&RemoteCtrl"))),
      outputFolderField(newField("outputFolder")),
      statusField(newField("status")),
      applyButton(new QPushButton(tr("&Apply"))),
      closeButton(new QPushButton(tr("&Close"))) {
    setObjectName(QStringLiteral("NtOptionDlg"));
    setWindowTitle(tr("Remote Settings"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    remoteBox->setObjectName(QStringLiteral("remoteCtrl"));
    statusField->setReadOnly(true);
    applyButton->setObjectName(QStringLiteral("apply"));
    // Return applies; only Close (or Escape) closes the dialog.
    applyButton->setDefault(true);
    closeButton->setObjectName(QStringLiteral("close"));
    closeButton->setAutoDefault(false);
    connect(applyButton, &QPushButton::clicked, this, &NtOptionDlg::apply);
    connect(closeButton, &QPushButton::clicked, this, &NtOptionDlg::reject);

    auto* fields = new QHBoxLayout;
    fields->addWidget(groupAround(tr("RemoteServer"), serverField), 3);
    fields->addWidget(groupAround(tr("PortId"), portField), 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(applyButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(remoteBox);
    layout->addWidget(
        groupAround(tr("Output folder for file names built at run time"), outputFolderField));
    layout->addWidget(groupAround(tr("Status"), statusField));
    layout->addLayout(buttons);
}

void NtOptionDlg::bind(remote::RemoteHost* window, ConnectOperation connectOperation,
                       QueryOperation queryOperation) {
    parentWindow = window;
    connectTo = std::move(connectOperation);
    query = std::move(queryOperation);
}

void NtOptionDlg::bindOutputFolder(FolderOperation folderOperation, FolderQuery folderQuery) {
    setFolder = std::move(folderOperation);
    queryFolder = std::move(folderQuery);
}

void NtOptionDlg::apply() {
    if (!connectTo) return;
    const int wanted = remoteBox->isChecked() ? 1 : 0;
    const std::string serverName = latin1Text(serverField->text());
    const int port = remote::portFieldValue(latin1Text(portField->text()));
    const int result = connectTo(parentWindow, wanted, serverName, port);
    statusField->setText(QString::fromStdString(remote::statusWord(result)));
    remoteBox->setChecked(remote::boxAfterApply(result, remoteBox->isChecked()));
    applyOutputFolder();
}

// A folder the session refuses empties the field, and the status says why.
void NtOptionDlg::applyOutputFolder() {
    if (!setFolder) return;
    const std::string typed = latin1Text(outputFolderField->text());
    const std::string kept = setFolder(typed);
    outputFolderField->setText(fromLatin1Text(kept));
    if (kept.empty() && !typed.empty())
        statusField->setText(tr("output folder refused: not beneath the current folder"));
}

void NtOptionDlg::showEvent(QShowEvent* event) {
    showSettings();
    QDialog::showEvent(event);
}

// Each opening shows the session's settings afresh.
void NtOptionDlg::showSettings() {
    if (!query) {
        statusField->setText(tr("not available"));
        return;
    }
    remote::RemoteSettings settings;
    query(parentWindow, settings);
    serverField->setText(fromLatin1Text(settings.serverName));
    portField->setText(QString::number(settings.port));
    remoteBox->setChecked(settings.state == remote::connectedState);
    if (queryFolder) outputFolderField->setText(fromLatin1Text(queryFolder()));
    statusField->setText(QString::fromStdString(remote::stateWord(settings.state)));
}
