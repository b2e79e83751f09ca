// The main dialog shown offscreen in a fresh working directory, with the
// library linked in, as the program has it.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <filesystem>

#include "LinkedLibrary.h"
#include "TempDir.h"
#include "ViewerDlg.h"

// The working directory changes before the dialog is made, which loads an
// in.txt found there, and is restored after it is gone.
class WorkingDir {
public:
    explicit WorkingDir(const std::filesystem::path& path)
        : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~WorkingDir() { std::filesystem::current_path(previous); }
    WorkingDir(const WorkingDir&) = delete;
    WorkingDir& operator=(const WorkingDir&) = delete;

private:
    std::filesystem::path previous;
};

class DialogFixture : public ::testing::Test {
protected:
    DialogFixture() : workingDir(dir.path()), dialog(library) {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    template <class Widget>
    Widget* child(const char* name) {
        auto* widget = dialog.findChild<Widget*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QPlainTextEdit* script() { return child<QPlainTextEdit>("script"); }
    QPlainTextEdit* output() { return child<QPlainTextEdit>("output"); }
    QString field(const char* name) { return child<QLineEdit>(name)->text(); }
    std::string status() { return child<QStatusBar>("status")->currentMessage().toStdString(); }
    // A menu entry, by its text.
    QAction* action(const char* text) {
        for (QAction* each : dialog.findChildren<QAction*>())
            if (each->text() == QLatin1String(text)) return each;
        ADD_FAILURE() << text;
        return nullptr;
    }
    void click(const char* button) {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
    QImage picture() { return child<QWidget>("graphic")->grab().toImage(); }
    void selectScript(int start, int end) {
        QTextCursor cursor = script()->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        script()->setTextCursor(cursor);
    }

    zortest::TempDir dir;
    WorkingDir workingDir;
    viewer::LinkedLibrary library;
    ViewerDlg dialog;
};
