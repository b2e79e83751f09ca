// The main dialog offscreen, running scripts through the library in this process.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <string>

#include "DialogFixture.h"
#include "output/ParseOut.h"
#include "run/Parse.h"
#include "run/ZorCall.h"

using zortest::readFile;
using zortest::writeFile;

namespace {

// A test that waits for a notification, which a timer gives while it waits.
int waitingRuns = 0;
void waitingTest() {
    ++waitingRuns;
    Parse::waitForNotify(1, 5000);
}
ZorCall waitingRegistration("waiter", waitingTest);

const char* const twoEchoTests =
    "resultfile \"out.txt\"\n"
    "zortst { first = 1 verify: first == 1 }\n"
    "zortst { second = 2 verify: second == 2 }\n";

}  // namespace

using ViewerDlgTest = DialogFixture;

TEST_F(ViewerDlgTest, RunShowsTheReportOfTheEditedScriptAndRestoresTheInputFile) {
    writeFile("in.txt", "saved script\r\n");
    script()->setPlainText(twoEchoTests);
    click("run");
    const QString report = output()->toPlainText();
    EXPECT_TRUE(report.contains("second == 2")) << report.toStdString();
    EXPECT_FALSE(report.contains('\r'));
    EXPECT_TRUE(field("outputField").startsWith("out.txt (00:0"));
    EXPECT_EQ(readFile("in.txt"), "saved script\r\n");
    EXPECT_EQ(output()->textCursor().position(), report.size());
}

TEST_F(ViewerDlgTest, DialogAfterARunIsKeptAsAPicture) {
    script()->setPlainText(
        "// an order of three items, echoed back by zortst\n"
        "resultfile \"order_out.txt\"\n\n"
        "zortst {\n\tcustomer = \"alice\"\n\titems[] { 2 1 3 }\n\ttotal = 46.75\n"
        "verify:\n\titems[] { 2 1 3 }\n\ttotal > 40.0\n\tcustomer == \"bob\"\n}\n");
    click("run");
    EXPECT_TRUE(output()->toPlainText().contains("ERROR"));
    EXPECT_TRUE(dialog.grab().save(QStringLiteral(ZOR_SCREENSHOT)));
}

TEST_F(ViewerDlgTest, DialogAnswersDuringARunButStartsNoSecondRun) {
    writeFile("in.txt", "saved");
    script()->setPlainText("resultfile \"out.txt\"\nwaiter { a = 1 }\n");
    bool clickedDuringRun = false;
    QTimer::singleShot(20, [&] {
        clickedDuringRun = true;
        click("run");
        Parse::receivedNotification();
    });
    waitingRuns = 0;
    click("run");
    EXPECT_TRUE(clickedDuringRun);
    EXPECT_EQ(waitingRuns, 1);
    EXPECT_EQ(readFile("in.txt"), "saved");
    EXPECT_FALSE(std::filesystem::exists("in.txt_"));
    EXPECT_FALSE(output()->toPlainText().contains("TIMEOUT"));
}

TEST_F(ViewerDlgTest, OpenTakesTheChosenFolderAsWorkingDirectory) {
    std::filesystem::create_directory("scripts");
    writeFile("scripts/order.txt", "order script\r\n");
    const QString chosen = QString::fromStdString((dir.path() / "scripts/order.txt").string());
    QTimer::singleShot(0, [&] {
        auto* fileDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(fileDialog, nullptr);
        fileDialog->selectFile(chosen);
        static_cast<QDialog*>(fileDialog)->accept();
    });
    dialog.open();
    EXPECT_EQ(field("inputFile"), "order.txt");
    EXPECT_EQ(script()->toPlainText(), "order script\n");
    EXPECT_EQ(std::filesystem::current_path(), dir.path() / "scripts");
}

TEST_F(ViewerDlgTest, TabInsertsATabAsAnUndoableEdit) {
    script()->setPlainText("ab");
    selectScript(1, 2);
    script()->setFocus();
    QTest::keyClick(script(), Qt::Key_Tab);
    EXPECT_EQ(script()->toPlainText(), "a\t");
    EXPECT_TRUE(script()->hasFocus());
    script()->undo();
    EXPECT_EQ(script()->toPlainText(), "ab");
}

TEST_F(ViewerDlgTest, EscapeAndReturnInTheFieldsKeepTheDialogOpen) {
    QPushButton* run = child<QPushButton>("run");
    int runs = 0;
    QObject::connect(run, &QPushButton::clicked, [&runs] { ++runs; });
    for (const char* name : {"inputFile", "outputField", "searchText"}) {
        QLineEdit* edit = child<QLineEdit>(name);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Enter);
        QTest::keyClick(edit, Qt::Key_Escape);
    }
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(runs, 0);
}

TEST_F(ViewerDlgTest, SearchActsOnThePaneLastClicked) {
    script()->setPlainText("alpha beta ALPHA");
    output()->setPlainText("alpha");
    child<QLineEdit>("searchText")->setText("alpha");
    QTest::mouseClick(script()->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
    selectScript(0, 0);
    click("searchForward");
    click("searchForward");
    EXPECT_EQ(script()->textCursor().selectionStart(), 11);
    click("searchBack");
    EXPECT_EQ(script()->textCursor().selectionStart(), 0);
    EXPECT_FALSE(output()->textCursor().hasSelection());
}

TEST_F(ViewerDlgTest, SliderSplitsThePanesAndTheDialogKeepsItsMinimum) {
    // The split is computed from the outer size, frame included.
    const QSize frame = dialog.frameGeometry().size() - dialog.size();
    dialog.resize(QSize(695, 495) - frame);
    QTest::qWait(20);
    EXPECT_EQ(script()->geometry().right() + 1, 339);
    EXPECT_EQ(output()->parentWidget()->geometry().left(), 346);
    child<QSlider>("Slider1")->setValue(97);
    EXPECT_EQ(script()->geometry().right() + 1, 677);
    dialog.resize(100, 100);
    EXPECT_GE(dialog.width(), 600);
    EXPECT_GE(dialog.height(), 200);
}

TEST_F(ViewerDlgTest, TraceSettingsReachTheLibraryBeforeARun) {
    dialog.commands().traceSettings() = {"scope", 0};
    script()->setPlainText(twoEchoTests);
    click("run");
    EXPECT_EQ(ParseOut::getTraceDepth(), 0);
    EXPECT_STREQ(ParseOut::getTraceRoot(), "scope");
}

TEST_F(ViewerDlgTest, ReReadShowsTheFileAndNewEmptiesTheDialog) {
    writeFile("in.txt", "line 1\r\nline 2\xE4\r\n");
    click("reread");
    EXPECT_EQ(script()->toPlainText(), QString::fromLatin1("line 1\nline 2\xE4\n"));
    EXPECT_TRUE(script()->document()->isModified());
    click("save");
    EXPECT_EQ(readFile("in.txt"), "line 1\r\nline 2\xE4\r\n");

    child<QLineEdit>("outputField")->setText("x");
    dialog.newScript();
    EXPECT_EQ(script()->toPlainText(), "");
    EXPECT_EQ(field("outputField"), "");
    EXPECT_EQ(field("inputFile"), "in.txt");
}
