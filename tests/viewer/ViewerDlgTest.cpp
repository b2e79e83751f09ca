// The main dialog offscreen, running scripts through the library in this process.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <filesystem>
#include <string>
#include <tuple>

#include "DialogFixture.h"
#include "output/ParseOut.h"
#include "run/Parse.h"
#include "run/ZorCall.h"

namespace {

// A test that waits for a notification, which a timer gives while it waits.
int waitingRuns = 0;
void waitingTest() {
    ++waitingRuns;
    Parse::waitForNotify(1, 5000);
}
ZorCall waitingRegistration("waiter", waitingTest);

}  // namespace

using ViewerDlgTest = DialogFixture;

// The run takes the edited pane and the trace settings through the library.
// The dialog's picture is kept in the build folder.
TEST_F(ViewerDlgTest, RunShowsTheReportOfTheEditedScriptAndIsKeptAsAPicture) {
    dialog.commands().traceSettings() = {"scope", 0};
    script()->setPlainText(
        "// an order of three items, echoed back by zortst\n"
        "resultfile \"order_out.txt\"\n\n"
        "zortst {\n\tcustomer = \"alice\"\n\titems[] { 2 1 3 }\n\ttotal = 46.75\n"
        "verify:\n\titems[] { 2 1 3 }\n\ttotal > 40.0\n\tcustomer == \"bob\"\n}\n");
    click("run");
    const QString report = output()->toPlainText();
    EXPECT_TRUE(report.contains("ERROR")) << report.toStdString();
    EXPECT_TRUE(field("outputField").startsWith("order_out.txt (00:0"));
    EXPECT_EQ(output()->textCursor().position(), report.size());
    EXPECT_EQ(ParseOut::getTraceDepth(), 0);
    EXPECT_STREQ(ParseOut::getTraceRoot(), "scope");
    EXPECT_TRUE(dialog.grab().save(QStringLiteral(ZOR_SCREENSHOT)));
}

TEST_F(ViewerDlgTest, DialogAnswersDuringARunButStartsNoSecondRun) {
    script()->setPlainText("resultfile \"out.txt\"\nwaiter { a = 1 }\n");
    // Without events during the run the test would wait in vain and time out.
    QTimer::singleShot(20, [&] {
        click("run");
        Parse::receivedNotification();
    });
    waitingRuns = 0;
    click("run");
    EXPECT_EQ(waitingRuns, 1);
    EXPECT_FALSE(output()->toPlainText().contains("TIMEOUT"));
}

// The former file's output and messages go with it.
TEST_F(ViewerDlgTest, OpenTakesTheChosenFolderAsWorkingDirectory) {
    script()->setPlainText("resultfile \"out.txt\"\nzortst { a = 1 }\n");
    click("run");
    EXPECT_FALSE(output()->toPlainText().isEmpty());
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
    EXPECT_EQ(output()->toPlainText(), "");
    EXPECT_EQ(field("outputField"), "");
    EXPECT_EQ(status(), "");
}

// The status line tells a passed, a failed and a broken run apart, and a
// selection that names no test from a run of that test.
TEST_F(ViewerDlgTest, TheStatusLineSaysWhereWhatAndHowEachRunEnded) {
    const std::string failing =
        "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\nzortst { a = 1 verify: a == 2 "
        "}\n";
    const int second = static_cast<int>(failing.rfind("zortst"));
    const std::tuple<std::string, int, int, std::string> runs[] = {
        {failing, 0, 0, "all tests | 1 passed, 1 failed, 0 errors | "},
        {failing, second, second + 6,
         "test zortst at " + std::to_string(second) + " | 0 passed, 1 failed, 0 errors"},
        {failing, 1, 3, "nothing ran: the selection matches no test | 0 passed, 0 failed"}};
    for (const auto& [text, from, to, said] : runs) {
        script()->setPlainText(QString::fromStdString(text));
        selectScript(from, to);
        click("run");
        EXPECT_THAT(status(), StartsWith("local | " + said));
    }
    EXPECT_THAT(status(), ::testing::MatchesRegex(".* \\| [0-9]+\\.[0-9][0-9] s"));
}
