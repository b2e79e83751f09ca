// What each run takes and shows: the viewer's own marks never pick a test,
// failed blocks lead to their tests, a file that cannot take the pane's text
// says what ran instead, and the keys reach every command.
#include <QLabel>
#include <QTextBlock>

#include <sys/fsuid.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "DialogFixture.h"

namespace {

class RunMarksTest : public DialogFixture {
protected:
    int scriptLine() { return script()->textCursor().blockNumber() + 1; }
    void search(const char* text) {
        child<QLineEdit>("searchText")->setText(QString::fromLatin1(text));
        QTest::keyClick(child<QLineEdit>("searchText"), Qt::Key_Return);
    }
};

const std::string passing = "resultfile \"out.txt\"\nzortst { a = 1 verify: a == 1 }\n";

}  // namespace

TEST_F(RunMarksTest, TheViewersOwnMarksNeverPickATest) {
    script()->setPlainText(QString::fromStdString(passing + "zortst { a = }\n"));
    click("run");
    EXPECT_THAT(status(), StartsWith("local | all tests | 1 passed, 0 failed, 1 error"));
    EXPECT_THAT(status(), HasSubstr("parse error in line 3"));
    EXPECT_EQ(script()->extraSelections().size(), 1);
    EXPECT_FALSE(script()->textCursor().hasSelection());
    click("run");
    EXPECT_THAT(status(), StartsWith("local | all tests | 1 passed"));

    script()->setFocus();
    search("zortst");
    EXPECT_FALSE(script()->textCursor().hasSelection());
    click("run");
    EXPECT_THAT(status(), StartsWith("local | all tests | 1 passed"));
}

TEST_F(RunMarksTest, FailuresAreMarkedAndLeadToTheirTests) {
    script()->setPlainText(QString::fromStdString(
        passing + "zortst {\n  a = 1\nverify:\n  a == 2\n}\nzortst { b = 1 verify: b == 3 }\n"));
    click("run");
    EXPECT_EQ(output()->extraSelections().size(), 2);
    QTest::keyClick(output(), Qt::Key_F8);
    EXPECT_THAT(status(), StartsWith("failure 1 of 2: zortst"));
    QTest::keyClick(output(), Qt::Key_Return);
    EXPECT_EQ(scriptLine(), 3);
    QTest::keyClick(output(), Qt::Key_F8);
    QTest::keyClick(output(), Qt::Key_Return);
    EXPECT_EQ(scriptLine(), 8);
    QTest::keyClick(output(), Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_THAT(status(), StartsWith("failure 1 of 2"));
    EXPECT_FALSE(script()->textCursor().hasSelection());
}

// The edits are not written over a file the user may not write, and the run
// says that the file on disk ran instead; Save says the system's reason.
TEST_F(RunMarksTest, AReadOnlyFileRunsAsOnDiskAndSaysSo) {
    writeFile("in.txt", passing);
    click("reread");
    script()->moveCursor(QTextCursor::End);
    script()->insertPlainText("zortst { a = 1 verify: a == 2 }\n");
    namespace fs = std::filesystem;
    fs::permissions("in.txt", fs::perms(0444));
    fs::permissions(".", fs::perms::all);
    // Root may write any file; an unprivileged file user makes file modes hold.
    if (geteuid() == 0) setfsuid(65534);
    click("run");
    click("save");
    if (geteuid() == 0) setfsuid(0);
    EXPECT_THAT(status(), StartsWith("local | all tests of the file on disk, not of the script "
                                     "pane (cannot write in.txt: Permission denied) | 1 passed, "
                                     "0 failed"));
    EXPECT_EQ(output()->toPlainText(), "cannot write in.txt: Permission denied");
    EXPECT_EQ(readFile("in.txt"), passing);
    EXPECT_FALSE(fs::exists("in.txt_"));
}

// Return and Escape in the fields neither run nor close; Ctrl+Tab is typed.
TEST_F(RunMarksTest, KeysReachTheCommands) {
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    for (const char* name : {"inputFile", "outputField", "searchText"}) {
        child<QLineEdit>(name)->setFocus();
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(child<QLineEdit>(name), key);
    }
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(field("outputField"), "");  // a run would have said why it has no output

    script()->setPlainText("one two\ntwo three\n");
    script()->setFocus();
    QTest::keyClick(script(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(child<QLineEdit>("searchText")->hasFocus());
    search("two");
    EXPECT_EQ(child<QLabel>("position")->text(), "1:8");
    QTest::keyClick(script(), Qt::Key_F3);
    EXPECT_EQ(child<QLabel>("position")->text(), "2:4");
    QTest::keyClick(script(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(child<QLabel>("position")->text(), "1:8");

    script()->setFocus();
    QTest::keyClick(script(), Qt::Key_Tab);
    EXPECT_TRUE(output()->hasFocus());
    QTest::keyClick(output(), Qt::Key_F5);
    EXPECT_THAT(status(), StartsWith("local | all tests"));
    output()->setPlainText("a\nb\nc");
    output()->moveCursor(QTextCursor::End);
    QTest::keyClick(output(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(output()->textCursor().position(), 0);

    script()->setFocus();
    script()->moveCursor(QTextCursor::End);
    QTest::keyClick(script(), Qt::Key_X);
    QTest::keyClick(script(), Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(script(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(script(), Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(script(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(readFile("in.txt"), "one two\ntwo three\nx\t");
}
