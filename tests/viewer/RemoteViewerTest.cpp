// ZorViewer against ZorServer, offscreen, as a new user meets them: connect
// through the remote settings dialog, run scripts on the server until it goes
// away, and use graphic mode on the simulated device.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTimer>

#include <string>

#include "DeviceLine.h"
#include "DialogFixture.h"
#include "NtOptionDlg.h"
#include "ServerProcess.h"

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

// Runs go to the connected server, and the viewer keeps the server's output
// file; its input file stays untouched. Then the server goes away: the run
// finds it broken and shows no output, not the earlier run's report (as for
// any error the server answers), with the whole error in the field's tooltip.
// The loss is announced without waiting for a run or a ping, and the viewer
// runs locally again, the whole script, since a broken server's run marks the
// first character without selecting it.
TEST_F(RemoteViewerTest, RunsGoToTheServerUntilItVanishes) {
    script()->setPlainText(twoTests);
    EXPECT_EQ(applyRemote(true), "connected");
    EXPECT_EQ(child<QLabel>("connection")->text(),
              QStringLiteral("remote localhost:%1").arg(server.viewerPort()));
    click("run");
    EXPECT_TRUE(field("outputField").startsWith("out.txt (00:0"));
    EXPECT_TRUE(output()->toPlainText().contains("b == 2"));
    EXPECT_EQ(readFile("out.txt"), readFile(serverDir.file("out.txt")));
    EXPECT_FALSE(std::filesystem::exists("in.txt"));

    server.stop();
    click("run");
    EXPECT_EQ(field("outputField"), "TestServer broken");
    EXPECT_EQ(child<QLineEdit>("outputField")->toolTip(), field("outputField"));
    EXPECT_EQ(output()->toPlainText(), "");
    QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>("connection")->text().contains("lost: runs are local"),
                             1500);
    EXPECT_FALSE(dialog.remoteSession().connected());
    click("run");
    EXPECT_TRUE(field("outputField").startsWith("out.txt")) << field("outputField").toStdString();
    EXPECT_TRUE(output()->toPlainText().contains("b == 2"));
}
