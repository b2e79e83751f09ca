// The main dialog: the script pane on the left, the output pane on the right,
// the input, output and search fields above them and the command buttons below.
#pragma once

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "DialogView.h"
#include "FailureIndex.h"
#include "ModuleList.h"
#include "PaneLayout.h"
#include "PlainTextPane.h"
#include "RemoteSession.h"
#include "ScriptCommands.h"
#include "display/DisplayList.h"

class GraphicPane;
class NtOptionDlg;
class QAction;
class QGroupBox;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QMouseEvent;
class QPlainTextEdit;
class QPushButton;
class QLabel;
class QSlider;
class QStatusBar;
class QStackedWidget;
class RemoteLink;

class ViewerDlg : public QDialog, private viewer::DialogView {
    Q_OBJECT

public:
    explicit ViewerDlg(viewer::LibraryAccess& library, QWidget* parent = nullptr);
    ~ViewerDlg() override;

    // The commands on the script, also for event runs and the remote client.
    viewer::ScriptCommands& commands() { return scriptCommands; }
    // The drawing records of the graphic display; the remote client decodes
    // the server's display blocks into it.
    display::DisplayList& displayList() { return displayRecords; }
    // The connection to a test server.
    remote::RemoteSession& remoteSession() { return serverSession; }
    // The modules of test functions loaded so far; loadModules shows the
    // ones that cannot be loaded in the status line.
    const viewer::ModuleList& modules() const { return moduleList; }
    void loadModules(const std::vector<std::string>& paths);

public slots:
    void run();
    void reread();
    void save();
    void clearLog();
    void newScript();
    void open();
    void saveAs();
    void exitViewer();
    void loadModule();
    void showFileMenu();
    void showSettingsMenu();
    void searchBack();
    void searchForward();
    void showTraceSettings();
    void showRemoteSettings();
    void showTextlog();
    void showGraphic();
    void splitPanes();
    // The connection label; a connection found lost is announced.
    void showConnection();
    // The failed blocks of the output pane, and the test of the one at its caret.
    void nextFailure();
    void previousFailure();
    void showFailedTest();
    void focusSearch();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape and the window's own reject path never close the dialog.
    void reject() override;

private:
    // DialogView: what the commands read and show.
    std::string inputFileName() const override;
    bool graphicMode() const override;
    std::string scriptText() const override;
    viewer::PaneSelection scriptSelection() const override;
    void setScriptText(const std::string& text, viewer::TextEncoding encoding) override;
    std::string unencodableCharacter() const override;
    bool scriptUnsaved() const override;
    void setScriptSaved() override;
    bool scriptModified() const override;
    void markScriptModified() override;
    void clearScriptModified() override;
    void markScript(int start, int end) override;
    void setOutputText(const std::string& text) override;
    void outputCaretToEnd() override;
    void setOutputField(const std::string& text) override;
    void markFailures(const std::vector<viewer::RunFailure>& failures) override;
    void setStatus(const std::string& text) override;
    void clearDisplayList() override;
    void repaintGraphic() override;
    viewer::UnsavedAnswer askUnsaved(const std::string& question) override;
    bool confirm(const std::string& question) override;

    void createControls();
    void createButtons();
    void createMenus();
    void createRemote();
    void createKeys();
    void chainFocus();
    void showScriptPosition();
    void showFailure(bool forward);
    void showFailedTestAt(const QEvent& mouseEvent);
    void layoutControls(int width, int height);
    void setOutputMode(bool graphic);
    bool filterKey(QWidget* target, const QKeyEvent& key);
    // Graphic mode: clicks and key presses become event runs.
    bool recordMouse(QWidget* target, QEvent* event);
    bool recordKey(QWidget* target, const QKeyEvent& key);
    void takeMousePosition(const QMouseEvent& event);
    // Runs the recorded line and shows it in the status line.
    void sendEvent(const std::string& record);
    void noteClick(QWidget* target);
    // Whether the target is the control or lies inside it.
    static bool within(const QWidget* target, const QWidget* control);
    void search(viewer::SearchDirection direction);
    // Takes the chosen file's folder as the working directory and its bare
    // name as the input file; false when the dialog was cancelled.
    bool takeChosenFile(const QString& path);
    void updateTitle();

    viewer::ScriptCommands scriptCommands;
    viewer::ModuleList moduleList;
    viewer::PaneLayout paneLayout;
    bool splitPending = true;
    bool graphicShown = false;
    display::DisplayList displayRecords;
    remote::RemoteSession serverSession;
    // The last mouse position over the graphic display, in its pixels.
    int lastX = 0;
    int lastY = 0;
    std::unique_ptr<PlainTextPane> scriptSearch;
    std::unique_ptr<PlainTextPane> outputSearch;
    // The pane that the search acts on: the one last clicked.
    PlainTextPane* searchPane = nullptr;
    // Edits the test server has not been sent yet; the document's own
    // modified flag is the unsaved mark of the title.
    bool unsentEdits = false;
    // The server the last look at the connection found connected; empty: local.
    QString connectedTo;
    viewer::FailureIndex failureIndex;

    QPlainTextEdit* scriptPane;
    QStackedWidget* outputStack;
    QPlainTextEdit* outputPane;
    GraphicPane* graphicPane;
    QLineEdit* inputField;
    QLineEdit* outputField;
    QLineEdit* searchField;
    QGroupBox* controlGroup;
    QGroupBox* inputGroup;
    QGroupBox* outputGroup;
    QGroupBox* searchGroup;
    QPushButton* searchBackButton;
    QPushButton* searchForwardButton;
    QPushButton* fileButton;
    QPushButton* settingsButton;
    QPushButton* rereadButton;
    QPushButton* saveButton;
    QPushButton* runButton;
    QPushButton* clearLogButton;
    QSlider* splitSlider;
    QStatusBar* statusLine;
    QLabel* connectionLabel;
    QLabel* positionLabel;
    QMenu* fileMenu;
    QMenu* settingsMenu;
    QAction* textlogAction;
    QAction* graphicAction;
    RemoteLink* remoteLink;
    NtOptionDlg* remoteDialog;
};
