// Graphic mode: the output-mode switch, and the clicks and key presses on the
// graphic display that become event records and run at once.
#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>

#include "EventRecords.h"
#include "GraphicPane.h"
#include "ViewerDlg.h"

namespace {

struct NamedKey {
    Qt::Key key;
    const char* name;
};

// Return and Enter are one key to the device.
constexpr NamedKey namedKeys[] = {
    {Qt::Key_Backspace, "backspace"}, {Qt::Key_Tab, "tab"},       {Qt::Key_Return, "return"},
    {Qt::Key_Enter, "return"},        {Qt::Key_Insert, "insert"}, {Qt::Key_Delete, "delete"},
    {Qt::Key_Home, "home"},           {Qt::Key_End, "end"},       {Qt::Key_PageUp, "pageup"},
    {Qt::Key_PageDown, "pagedown"},   {Qt::Key_Left, "left"},     {Qt::Key_Up, "up"},
    {Qt::Key_Right, "right"},         {Qt::Key_Down, "down"},     {Qt::Key_Escape, "esc"},
};

const char* keyName(int key) {
    for (const NamedKey& named : namedKeys)
        if (named.key == key) return named.name;
    return nullptr;
}

// -1 for the buttons beyond the three of the device.
int buttonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 0;
        case Qt::MiddleButton:
            return 1;
        case Qt::RightButton:
            return 2;
        default:
            return -1;
    }
}

}  // namespace

// Entering graphic mode runs "ongraphic{}", so that a connected server sends
// its current picture; leaving it keeps the display list.
void ViewerDlg::setOutputMode(bool graphic) {
    textlogAction->setChecked(!graphic);
    graphicAction->setChecked(graphic);
    if (graphic) {
        outputStack->setCurrentWidget(graphicPane);
        scriptPane->setFocus();
        setOutputField(viewer::mousePositionText(0, 0));
        graphicShown = true;
        scriptCommands.runEvent(viewer::graphicStartEvent);
        return;
    }
    setOutputField(scriptCommands.lastOutFile());
    graphicShown = false;
    outputStack->setCurrentWidget(outputPane);
    outputPane->viewport()->repaint();
}

// Moves and clicks on the display never reach it as a widget; a move with a
// held button beyond the display's edge is not a position on it.
bool ViewerDlg::recordMouse(QWidget* target, QEvent* event) {
    if (target != graphicPane) return false;
    const auto& mouse = *static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseMove) {
        if (graphicPane->rect().contains(mouse.position().toPoint())) takeMousePosition(mouse);
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) return true;
    const int button = buttonCode(mouse.button());
    if (button < 0) return false;
    takeMousePosition(mouse);
    // Later key presses go to the Run button, where they are recorded, not
    // into a pane.
    if (!graphicPane->hasFocus()) runButton->setFocus();
    sendEvent(viewer::buttonPressEvent(lastX, lastY, button));
    return true;
}

// A press counts as a move to its point first, as it always is with a mouse,
// so that a touch or a synthetic click records where it hit.
void ViewerDlg::takeMousePosition(const QMouseEvent& event) {
    const QPoint point = event.position().toPoint();
    lastX = point.x() & 0xFFFF;
    lastY = point.y() & 0xFFFF;
    setOutputField(viewer::mousePositionText(lastX, lastY));
}

// A record that arrives during a run is dropped, as runEvent drops it, and so
// is not shown.
void ViewerDlg::sendEvent(const std::string& record) {
    if (scriptCommands.busy()) return;
    statusLine->showMessage(QString::fromStdString(record));
    scriptCommands.runEvent(record);
}

// Keys typed into the script pane or the search field stay theirs. A typed
// character is swallowed whether or not it is recorded, so that it never
// presses the focused button.
bool ViewerDlg::recordKey(QWidget* target, const QKeyEvent& key) {
    if (within(target, scriptPane) || within(target, searchField)) return false;
    if (const char* name = keyName(key.key())) {
        sendEvent(viewer::keyPressEvent(lastX, lastY, name));
        return true;
    }
    const QList<uint> characters = key.text().toUcs4();
    if (characters.isEmpty()) return false;
    for (const uint character : characters) {
        if (const std::optional<std::string> name = viewer::typedKeyName(character))
            sendEvent(viewer::keyPressEvent(lastX, lastY, *name));
    }
    return true;
}
