// The remote settings dialog offscreen: what it shows when it opens, and the
// word and check box after each result of Apply. RemoteViewerTest has it with
// the main dialog's session and a real server.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

#include "NtOptionDlg.h"
#include "RemoteSession.h"

namespace {

struct Call {
    int wanted;
    std::string server;
    int port;
};

class QuietHost : public remote::RemoteHost {
public:
    void startPingTimer() override {}
    void stopPingTimer() override {}
    void runEvent(const std::string&) override {}
};

struct RemoteDialog {
    RemoteDialog() { dialog.show(); }

    // Binds operations that answer the given result and remember their calls.
    void bindResult(int result, remote::RemoteSettings settings = {0, "localhost", 6500}) {
        dialog.bind(
            &host,
            [this, result](remote::RemoteHost*, int wanted, const std::string& server, int port) {
                calls.push_back({wanted, server, port});
                return result;
            },
            [settings](const remote::RemoteHost*, remote::RemoteSettings& out) {
                out = settings;
                return true;
            });
    }
    void reopen() {
        dialog.hide();
        dialog.show();
    }
    QLineEdit* field(const char* name) { return dialog.findChild<QLineEdit*>(name); }
    QString status() { return field("status")->text(); }
    QCheckBox* box() { return dialog.findChild<QCheckBox*>("remoteCtrl"); }
    void click(const char* name) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
    }

    QuietHost host;
    NtOptionDlg dialog;
    std::vector<Call> calls;
};

}  // namespace

TEST(NtOptionDlgTest, OpensWithTheSessionsSettingsOrNotAvailable) {
    RemoteDialog unbound;
    unbound.click("apply");
    EXPECT_EQ(unbound.status(), "not available");
    EXPECT_TRUE(unbound.dialog.isVisible());
    RemoteDialog remote;
    remote.bindResult(1, {1, "device.lan", 6501});
    remote.reopen();
    EXPECT_EQ(remote.field("server")->text(), "device.lan");
    EXPECT_EQ(remote.field("port")->text(), "6501");
    EXPECT_TRUE(remote.box()->isChecked());
    EXPECT_EQ(remote.status(), "connected");
}

TEST(NtOptionDlgTest, ApplyShowsTheResultsWordAndAdjustsTheBox) {
    struct Row {
        int result;
        const char* word;
        bool ticked;
        bool boxAfter;
    };
    const Row rows[] = {
        {1, "connected", true, true},    {0, "disconnected", false, false},
        {-1, "invalid arg", true, true}, {-2, "ignored", false, false},
        {-3, "ignored", true, true},     {-4, "no create", true, false},
        {-5, "no host", true, false},    {-6, "no connect", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.result);
        RemoteDialog remote;
        remote.bindResult(row.result);
        remote.reopen();
        remote.box()->setChecked(row.ticked);
        remote.click("apply");
        EXPECT_EQ(remote.status(), row.word);
        EXPECT_EQ(remote.box()->isChecked(), row.boxAfter);
        ASSERT_EQ(remote.calls.size(), 1u);
        EXPECT_EQ(remote.calls[0].wanted, row.ticked ? 1 : 0);
    }
}

TEST(NtOptionDlgTest, ApplyTakesTheNameAndTheNumberAtTheStartOfThePort) {
    RemoteDialog remote;
    remote.bindResult(-6);
    remote.reopen();
    remote.field("server")->setText(QString::fromLatin1("h\xF6st"));
    remote.field("port")->setText(" 77abc");
    remote.click("apply");
    remote.field("port")->setText("port");
    remote.click("apply");
    ASSERT_EQ(remote.calls.size(), 2u);
    EXPECT_EQ(remote.calls[0].server, "h\xF6st");
    EXPECT_EQ(remote.calls[0].port, 77);
    EXPECT_EQ(remote.calls[1].port, 0);
}

TEST(NtOptionDlgTest, ReturnAppliesApplyStaysOpenEscapeCloses) {
    RemoteDialog remote;
    remote.bindResult(-5);
    remote.reopen();
    remote.click("apply");
    EXPECT_TRUE(remote.dialog.isVisible());
    QTest::keyClick(remote.field("server"), Qt::Key_Return);
    EXPECT_EQ(remote.calls.size(), 2u);
    EXPECT_TRUE(remote.dialog.isVisible());
    QTest::keyClick(remote.field("server"), Qt::Key_Escape);
    EXPECT_FALSE(remote.dialog.isVisible());
}
