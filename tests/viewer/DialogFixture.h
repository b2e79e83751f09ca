// The main dialog shown offscreen in a fresh working directory, with the
// library linked in, as the program has it.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "LinkedLibrary.h"
#include "TempDir.h"
#include "ViewerDlg.h"
#include "WorkingDir.h"

// What every dialog test checks with and writes its files by.
using ::testing::HasSubstr;
using ::testing::StartsWith;
using zortest::readFile;
using zortest::writeFile;

// The working directory changes before the dialog is made, which loads an
// in.txt found there.
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
