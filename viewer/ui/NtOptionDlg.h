// The remote settings dialog: shows whether the viewer is connected to a test
// server, takes the server's name and port, and connects or disconnects. It
// holds no connection state: it asks the query operation when it is shown and
// calls the connect operation on Apply.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "RemoteSession.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

class NtOptionDlg : public QDialog {
    Q_OBJECT

public:
    using ConnectOperation = std::function<int(remote::RemoteHost* parentWindow, int wanted,
                                               const std::string& serverName, int port)>;
    using QueryOperation =
        std::function<bool(const remote::RemoteHost* parentWindow, remote::RemoteSettings&)>;
    // Takes the output folder the user typed and answers it as kept; the
    // query answers the one kept now.
    using FolderOperation = std::function<std::string(const std::string& typed)>;
    using FolderQuery = std::function<std::string()>;

    explicit NtOptionDlg(QWidget* parent = nullptr);

    // Until bound, the dialog reads "not available" and Apply does nothing.
    void bind(remote::RemoteHost* window, ConnectOperation connectOperation,
              QueryOperation queryOperation);
    // Until bound, the output folder is neither shown nor applied.
    void bindOutputFolder(FolderOperation folderOperation, FolderQuery folderQuery);

public slots:
    void apply();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showSettings();
    void applyOutputFolder();

    remote::RemoteHost* parentWindow = nullptr;
    ConnectOperation connectTo;
    QueryOperation query;
    FolderOperation setFolder;
    FolderQuery queryFolder;

    QLineEdit* serverField;
    QLineEdit* portField;
    QCheckBox* remoteBox;
    QLineEdit* outputFolderField;
    QLineEdit* statusField;
    QPushButton* applyButton;
    QPushButton* closeButton;
};
