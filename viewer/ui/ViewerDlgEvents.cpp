// The main dialog's keyboard and mouse rules, resizing and closing.
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>

#include "ViewerDlg.h"

namespace {

bool within(const QWidget* target, const QWidget* control) {
    return target == control || control->isAncestorOf(target);
}

}  // namespace

// Installed on the application, this sees every event before its widget does;
// it acts only on the main dialog's own widgets, so that the settings dialog
// and the file dialogs keep their Escape and Return.
bool ViewerDlg::eventFilter(QObject* watched, QEvent* event) {
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
            return filterKey(target, static_cast<QKeyEvent*>(event)->key());
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            noteClick(target);
            return false;
        case QEvent::Paint:
            // The split waits for the slider's next repaint after a resize,
            // when the dialog's outer size is final.
            if (target == splitSlider && splitPending) {
                splitPending = false;
                splitPanes();
            }
            return false;
        default:
            return false;
    }
}

bool ViewerDlg::filterKey(QWidget* target, int key) {
    switch (key) {
        case Qt::Key_Tab:
            if (target != scriptPane) return false;
            scriptPane->insertPlainText(QStringLiteral("\t"));
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return target == inputField || target == outputField || target == searchField;
        case Qt::Key_Escape:
            return true;
        case Qt::Key_F1:
            setOutputMode(!graphicShown);
            return true;
        default:
            return false;
    }
}

// The search acts on the pane last clicked.
void ViewerDlg::noteClick(QWidget* target) {
    if (within(target, scriptPane)) {
        searchPane = scriptSearch.get();
    } else if (!graphicShown && within(target, outputPane)) {
        searchPane = outputSearch.get();
    }
}

void ViewerDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layoutControls(width(), height());
    splitPending = true;
    splitSlider->update();
}

void ViewerDlg::closeEvent(QCloseEvent* event) {
    if (scriptCommands.busy()) {
        event->ignore();
        return;
    }
    clearDisplayList();
    done(QDialog::Rejected);
    event->accept();
}

void ViewerDlg::reject() {}
