// ZorViewer against ZorServer, offscreen, as a new user meets them: connect
// through the remote settings dialog, run the script and a selected test on
// the server, and use graphic mode on the simulated device.
#include <QApplication>
#include <QCheckBox>
#include <QTimer>

#include "DeviceLine.h"
#include "DialogFixture.h"
#include "NtOptionDlg.h"
#include "ServerProcess.h"

using zortest::readFile;

namespace {

const QString twoTests = QStringLiteral(
    "deletefile \"out.txt\"\n"
    "resultfile \"out.txt\"\n"
    "zortst { a = 1 verify: a == 1 }\n"
    "zortst { b = 2 verify: b == 2 }\n");

// Button A of the device: its filled face, away from its label.
const QPoint buttonA(36, 116);

class RemoteViewerTest : public DialogFixture {
protected:
    RemoteViewerTest() : server({ZORSERVER_PATH, "--port", "0"}, serverDir.path().string()) {
        EXPECT_TRUE(server.started()) << server.output();
    }

    // Opens "&Remote...", fills it in, applies and closes it: what a user does.
    QString applyRemote(bool connect) {
        QString status;
        QTimer::singleShot(0, [&] {
            auto* remote = qobject_cast<NtOptionDlg*>(QApplication::activeModalWidget());
            if (!remote) return;
            remote->findChild<QLineEdit*>("server")->setText("localhost");
            remote->findChild<QLineEdit*>("port")->setText(QString::number(server.viewerPort()));
            remote->findChild<QCheckBox*>("remoteCtrl")->setChecked(connect);
            QTest::mouseClick(remote->findChild<QPushButton*>("apply"), Qt::LeftButton);
            status = remote->findChild<QLineEdit*>("status")->text();
            QTest::mouseClick(remote->findChild<QPushButton*>("close"), Qt::LeftButton);
        });
        action("&Remote...")->trigger();
        return status;
    }

    zortest::TempDir serverDir;
    zortest::ServerProcess server;
};

}  // namespace

TEST_F(RemoteViewerTest, RunsGoToTheConnectedServer) {
    script()->setPlainText(twoTests);
    EXPECT_EQ(applyRemote(true), "connected");
    click("run");
    EXPECT_TRUE(field("outputField").startsWith("out.txt (00:0"));
    EXPECT_TRUE(output()->toPlainText().contains("b == 2"));
    // The viewer keeps the server's output file; its input file stays untouched.
    EXPECT_EQ(readFile("out.txt"), readFile(serverDir.file("out.txt")));
    EXPECT_FALSE(std::filesystem::exists("in.txt"));
}

// Connecting fetches the device's picture; clicks and keys on it go to the
// server, which answers with the picture they changed.
TEST_F(RemoteViewerTest, GraphicModeDrawsTheDeviceAndSendsItsEvents) {
    action("&Graphic")->trigger();
    applyRemote(true);
    EXPECT_EQ(picture().pixelColor(buttonA), QColor(180, 184, 192));

    QTest::mouseClick(child<QWidget>("graphic"), Qt::LeftButton, Qt::NoModifier, buttonA);
    EXPECT_EQ(picture().pixelColor(buttonA), QColor(255, 170, 60));
    EXPECT_EQ(zortest::deviceLine(dialog.displayList()), "A");

    QTest::keyClicks(child<QWidget>("run"), "bc");
    QTest::keyClick(child<QWidget>("run"), Qt::Key_Backspace);
    EXPECT_EQ(zortest::deviceLine(dialog.displayList()), "Ab");
    EXPECT_TRUE(picture().save(QStringLiteral(ZOR_REMOTE_SCREENSHOT)));
}

// The server goes away: the run shows no output (the request cannot go out,
// or the reply never comes), the next pings notice, and the viewer runs
// locally again.
TEST_F(RemoteViewerTest, AVanishedServerLeavesTheViewerUsable) {
    applyRemote(true);
    server.stop();
    script()->setPlainText(twoTests);
    click("run");
    EXPECT_EQ(field("outputField"), "TestServer broken");
    EXPECT_EQ(output()->toPlainText(), "");
    for (int tick = 0; tick < 20 && dialog.remoteSession().connected(); ++tick) {
        dialog.remoteSession().pingTick();
        QTest::qWait(10);
    }
    EXPECT_FALSE(dialog.remoteSession().connected());
    // A broken server's run selects the first character, as an error at
    // position 0 does; the whole script runs again once it is deselected.
    selectScript(0, 0);
    click("run");
    EXPECT_TRUE(field("outputField").startsWith("out.txt")) << field("outputField").toStdString();
    EXPECT_TRUE(output()->toPlainText().contains("b == 2"));
}
