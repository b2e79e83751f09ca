// The dialog never drops or rewrites the user's text: the question before a
// command drops unsaved edits, files gone or changed on disk, failed saves,
// and files in UTF-8, Latin-1, CRLF and LF.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>

#include "DialogFixture.h"

namespace {

class KeepTextTest : public DialogFixture {
protected:
    // Answers the next message box with the button; a file dialog that opens
    // instead is rejected, so that a wrong path cannot hang the test.
    void answer(QMessageBox::StandardButton button) {
        QTimer::singleShot(0, &dialog, [this, button] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                asked.push_back(box->text());
                box->button(button)->click();
            } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                files->reject();
            }
        });
    }
    // As typing does; key clicks cannot carry characters beyond ASCII.
    void type(const QString& text) {
        script()->moveCursor(QTextCursor::End);
        script()->insertPlainText(text);
    }
    std::vector<QString> asked;
};

}  // namespace

// Cancel keeps the edits and the window; the file dialog of Open never shows.
TEST_F(KeepTextTest, CancelKeepsTheEditsFromEveryCommandThatWouldDropThem) {
    writeFile("in.txt", "on disk\n");
    click("reread");
    type("typed");
    const std::vector<std::pair<const char*, std::function<void()>>> commands = {
        {"ReRead", [&] { click("reread"); }},
        {"New", [&] { dialog.newScript(); }},
        {"Open", [&] { dialog.open(); }},
        {"Exit", [&] { dialog.exitViewer(); }},
        {"close", [&] { dialog.close(); }}};
    for (const auto& [name, command] : commands) {
        answer(QMessageBox::Cancel);
        command();
        EXPECT_EQ(script()->toPlainText(), "on disk\ntyped") << name;
        EXPECT_TRUE(dialog.isVisible()) << name;
    }
    EXPECT_EQ(asked.size(), 5u);
    EXPECT_EQ(readFile("in.txt"), "on disk\n");
}

TEST_F(KeepTextTest, SaveAsksBeforeReplacingAFileThePaneNeverHeldOrThatChanged) {
    type("new script");
    writeFile("in.txt", "someone else's");
    answer(QMessageBox::No);
    click("save");
    EXPECT_EQ(readFile("in.txt"), "someone else's");
    answer(QMessageBox::Yes);
    click("save");
    EXPECT_EQ(readFile("in.txt"), "new script");
    writeFile("in.txt", "changed meanwhile");
    type(" more");
    answer(QMessageBox::No);
    click("save");
    EXPECT_EQ(readFile("in.txt"), "changed meanwhile");
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_TRUE(asked.back().contains("changed on disk")) << asked.back().toStdString();
}

// The pane may hold the only copy of a deleted file; a failed Save says why.
TEST_F(KeepTextTest, AGoneOrUnwritableFileLeavesThePaneAsItWas) {
    type("only copy");
    click("save");
    std::filesystem::remove("in.txt");
    click("reread");
    EXPECT_EQ(script()->toPlainText(), "only copy");
    EXPECT_EQ(field("outputField"), "file not found in.txt");
    std::filesystem::create_directory("in.txt");
    type("!");
    click("save");
    EXPECT_EQ(output()->toPlainText(), "cannot write in.txt: Is a directory");
    answer(QMessageBox::Save);
    dialog.newScript();  // the save it asks for fails too, so the pane stays
    EXPECT_EQ(script()->toPlainText(), "only copy!");
}

// UTF-8 is shown as UTF-8 and written back so; a Latin-1 file refuses a
// character it cannot hold rather than writing "?".
TEST_F(KeepTextTest, EachFileKeepsItsEncodingAndLineEnds) {
    // Octal escapes, which end after three digits where "e" would extend a hex one.
    const std::string utf8 = "Gr\303\274\303\237e", latin1 = "Gr\374\337e";
    writeFile("in.txt", utf8 + "\n");
    click("reread");
    EXPECT_EQ(script()->toPlainText(), QString::fromUtf8("Grüße\n"));
    type(QString::fromUtf8("€✓ü"));
    click("save");
    EXPECT_EQ(readFile("in.txt"), utf8 + "\n\xE2\x82\xAC\xE2\x9C\x93\xC3\xBC");

    writeFile("in.txt", latin1 + "\r\n");
    answer(QMessageBox::Discard);
    click("reread");
    EXPECT_EQ(script()->toPlainText(), QString::fromUtf8("Grüße\n"));
    type(QString::fromUtf8("ü"));
    click("save");
    EXPECT_EQ(readFile("in.txt"), latin1 + "\r\n\xFC");
    type(QString::fromUtf8("€"));
    click("save");
    EXPECT_EQ(readFile("in.txt"), latin1 + "\r\n\xFC");
    EXPECT_TRUE(output()->toPlainText().contains(QString::fromUtf8("\"€\" cannot be written")));
}

// The library counts bytes: the error's character is found past multibyte ones.
TEST_F(KeepTextTest, TheErrorMarkFallsOnTheRightCharacterOfAUtf8Script) {
    writeFile("in.txt", "// \xC3\xA4\xC3\xB6\xE2\x82\xAC\nzortst { a = 1 ) }\n");
    click("reread");
    click("run");
    ASSERT_EQ(script()->extraSelections().size(), 1) << field("outputField").toStdString();
    EXPECT_EQ(script()->extraSelections()[0].cursor.selectedText(), ")");
}
