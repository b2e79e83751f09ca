// The main dialog's keyboard and mouse rules, resizing and closing.
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSlider>

#include "ViewerDlg.h"

bool ViewerDlg::within(const QWidget* target, const QWidget* control) {
    return target == control || control->isAncestorOf(target);
}

// Installed on the application, this sees every event before its widget does;
// it acts only on the main dialog's own widgets, so that the settings dialog
// and the file dialogs keep their Escape and Return.
bool ViewerDlg::eventFilter(QObject* watched, QEvent* event) {
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
            return filterKey(target, *static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
            noteClick(target);
            return false;
        case QEvent::MouseButtonDblClick:
            if (!graphicShown && within(target, outputPane)) showFailedTestAt(*event);
            [[fallthrough]];
        case QEvent::MouseButtonPress:
            noteClick(target);
            return graphicShown && recordMouse(target, event);
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return graphicShown && recordMouse(target, event);
        case QEvent::Paint:
            // The split waits for the slider's next repaint after a resize,
            // when the dialog's outer size is final.
            if (target == splitSlider && splitPending) {
                splitPending = false;
                splitPanes();
            }
            // The text pane never paints or scrolls over the picture.
            return graphicShown && within(target, outputPane);
        case QEvent::Wheel:
            return graphicShown && within(target, outputPane);
        default:
            return false;
    }
}

// Ctrl+Tab in the script pane and Return in a field or the output pane keep
// their meaning in graphic mode; every other key may be recorded before
// Escape and F1 are looked at.
bool ViewerDlg::filterKey(QWidget* target, const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Tab:
            if (target != scriptPane || !(key.modifiers() & Qt::ControlModifier)) break;
            scriptPane->insertPlainText(QStringLiteral("\t"));
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (target == searchField) searchForward();
            if (target == outputPane) showFailedTest();
            if (target == inputField || target == outputField || target == searchField ||
                target == outputPane)
                return true;
            break;
        default:
            break;
    }
    if (graphicShown && recordKey(target, key)) return true;
    switch (key.key()) {
        case Qt::Key_Escape:
            return true;
        case Qt::Key_F1:
            setOutputMode(!graphicShown);
            return true;
        default:
            return false;
    }
}

// The search acts on the pane last clicked or given the focus.
void ViewerDlg::noteClick(QWidget* target) {
    if (within(target, scriptPane)) {
        searchPane = scriptSearch.get();
    } else if (!graphicShown && within(target, outputPane)) {
        searchPane = outputSearch.get();
    }
}

void ViewerDlg::showFailedTestAt(const QEvent& event) {
    const auto& mouse = static_cast<const QMouseEvent&>(event);
    outputPane->setTextCursor(outputPane->cursorForPosition(mouse.position().toPoint()));
    showFailedTest();
}

void ViewerDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layoutControls(width(), height());
    splitPending = true;
    splitSlider->update();
}

void ViewerDlg::closeEvent(QCloseEvent* event) {
    if (!scriptCommands.settleEdits()) {
        event->ignore();
        return;
    }
    clearDisplayList();
    done(QDialog::Rejected);
    event->accept();
}

void ViewerDlg::reject() {}
