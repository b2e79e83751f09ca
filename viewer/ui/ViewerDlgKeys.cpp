// The main dialog's keys: the commands' shortcuts, the focus chain through
// every control, and the caret's line and column in the status line.
#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTextBlock>

#include <initializer_list>

#include "ViewerDlg.h"

namespace {

template <class Slot>
void addKey(ViewerDlg* dialog, const QKeySequence& key, Slot slot) {
    auto* action = new QAction(dialog);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, dialog, slot);
    dialog->addAction(action);
}

}  // namespace

void ViewerDlg::createKeys() {
    addKey(this, QKeySequence(Qt::CTRL | Qt::Key_N), &ViewerDlg::newScript);
    addKey(this, QKeySequence(Qt::CTRL | Qt::Key_O), &ViewerDlg::open);
    addKey(this, QKeySequence(Qt::CTRL | Qt::Key_S), &ViewerDlg::save);
    addKey(this, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &ViewerDlg::saveAs);
    addKey(this, QKeySequence(Qt::CTRL | Qt::Key_Q), &ViewerDlg::exitViewer);
    addKey(this, QKeySequence(Qt::Key_F5), &ViewerDlg::run);
    addKey(this, QKeySequence(Qt::CTRL | Qt::Key_F), &ViewerDlg::focusSearch);
    addKey(this, QKeySequence(Qt::Key_F3), &ViewerDlg::searchForward);
    addKey(this, QKeySequence(Qt::SHIFT | Qt::Key_F3), &ViewerDlg::searchBack);
    addKey(this, QKeySequence(Qt::Key_F8), &ViewerDlg::nextFailure);
    addKey(this, QKeySequence(Qt::SHIFT | Qt::Key_F8), &ViewerDlg::previousFailure);
    // The script pane is the one that edits; Ctrl+Y redoes there wherever the focus is.
    addKey(this, QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { scriptPane->redo(); });

    // Tab leaves a pane; Ctrl+Tab types a tab (eventFilter).
    scriptPane->setTabChangesFocus(true);
    outputPane->setTabChangesFocus(true);
    // A read-only pane takes no keys by default, not even Ctrl+Home.
    outputPane->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    chainFocus();

    positionLabel = new QLabel(statusLine);
    positionLabel->setObjectName(QStringLiteral("position"));
    statusLine->addPermanentWidget(positionLabel);
    // Failed blocks are found again only after the next run.
    connect(outputPane->document(), &QTextDocument::contentsChanged, this,
            [this] { failureIndex = viewer::FailureIndex(); });
    connect(scriptPane, &QPlainTextEdit::cursorPositionChanged, this,
            &ViewerDlg::showScriptPosition);
    showScriptPosition();
}

// The controls in the order they stand, left to right and top to bottom.
void ViewerDlg::chainFocus() {
    const std::initializer_list<QWidget*> chain = {
        fileButton,   settingsButton,      inputField,  outputField,   searchBackButton,
        searchField,  searchForwardButton, splitSlider, scriptPane,    outputPane,
        rereadButton, saveButton,          runButton,   clearLogButton};
    QWidget* previous = nullptr;
    for (QWidget* control : chain) {
        control->setFocusPolicy(Qt::StrongFocus);
        if (previous) QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

// Line and column from 1; a tab counts as one column.
void ViewerDlg::showScriptPosition() {
    const QTextCursor cursor = scriptPane->textCursor();
    positionLabel->setText(
        QStringLiteral("%1:%2").arg(cursor.blockNumber() + 1).arg(cursor.positionInBlock() + 1));
}

void ViewerDlg::focusSearch() {
    searchField->setFocus(Qt::ShortcutFocusReason);
    searchField->selectAll();
}
