// The remote session against scripted servers on loopback: connecting and
// its result codes, what each run sends, the ping words, and a session that
// stays usable after its server broke.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "ExchangeFixture.h"
#include "FakeDialogView.h"
#include "RemoteSession.h"
#include "ScriptedServer.h"
#include "output/ParseOut.h"

using namespace remote;
using namespace remotetest;

namespace {

// The main dialog as the session sees it. Its event runs write the event
// file and hand it to the session, as the dialog's commands do.
class FakeHost : public RemoteHost {
public:
    void startPingTimer() override { timerRunning = true; }
    void stopPingTimer() override { timerRunning = false; }
    void connectionClosed() override {}
    void runEvent(const std::string& record) override {
        events.push_back(record);
        if (session) {
            zortest::writeFile("xin.txt", record);
            session->remoteRun("xin.txt", "", true);
        }
    }

    RemoteSession* session = nullptr;
    bool timerRunning = false;
    std::vector<std::string> events;
};

const std::string paneBytes = "t1{}\r\nt2{}";
const std::string event = "ongraphic{}";

std::string emptyReply() {
    return number(0) + number(0) + number(0) + number(0) + number(0) + number(0);
}

// The exchange fixture's folder and display list, and its trace settings.
class RemoteSessionTest : public ExchangeFixture {
protected:
    RemoteSessionTest() : session(view, display) {
        view.script = "t1{}\nt2{}";
        ParseOut::setTraceDepth(25);
        ParseOut::setTraceRoot("Root");
    }

    int connectTo(const ScriptedServer& server) {
        return session.applyRemote(&host, 1, "127.0.0.1", server.enteredPort());
    }
    // A normal run asks for the server's verdicts, an event run does not.
    std::string sent(const std::string* pane, const std::string& input = "in.txt",
                     const std::string& filter = "", bool normalRun = true) const {
        std::string bytes = remotetest::request(25, "Root", input, pane, filter);
        if (normalRun) bytes.replace(word("TSTEXEC").size(), number(0).size(), number(1));
        return bytes;
    }
    zortest::FakeDialogView view;
    FakeHost host;
    RemoteSession session;
};

}  // namespace

TEST_F(RemoteSessionTest, ApplyAnswersItsResultCodesAndAFailureKeepsTheServerUsed) {
    EXPECT_EQ(session.applyRemote(&host, 0, "127.0.0.1", 6500), alreadyDisconnected);
    const int freePort = ScriptedServer().enteredPort();
    EXPECT_EQ(session.applyRemote(&host, 1, "127.0.0.1", freePort), -6);
    EXPECT_FALSE(host.timerRunning);
    // A failed connect keeps the server used before ("localhost" and 6500 at start).
    RemoteSettings settings;
    ASSERT_TRUE(session.queryRemote(&host, settings));
    EXPECT_EQ(std::tuple(settings.state, settings.serverName, settings.port),
              std::tuple(disconnectedState, "localhost", 6500));

    ScriptedServer server;
    server.receiveToEnd().start();
    EXPECT_EQ(connectTo(server), 1);
    EXPECT_TRUE(host.timerRunning);
    EXPECT_EQ(session.applyRemote(&host, 1, "127.0.0.1", server.enteredPort()), alreadyConnected);
    // An empty pane exchanges nothing.
    view.script.clear();
    session.remoteRun("in.txt", "", false);
    EXPECT_EQ(session.applyRemote(&host, 0, "localhost", 7), 0);
    EXPECT_FALSE(host.timerRunning);
    // Results 1 and 0 run "ongraphic{}"; the failures and "ignored" do not.
    EXPECT_EQ(host.events, (std::vector<std::string>{event, event}));
    EXPECT_EQ(server.received(), "");
}

// The event run that connecting starts sends its file; the first normal run
// still sends the pane, the second only n = 0, and an edit sends it again.
TEST_F(RemoteSessionTest, EachRunSendsWhatTheServerLacks) {
    host.session = &session;
    ScriptedServer server;
    const std::string eventRequest = sent(&event, "xin.txt", "", false);
    const std::string first = sent(&paneBytes, "in.txt", "t2006");
    const std::string second = sent(nullptr);
    const std::string edited = "t3{}";
    const std::string third = sent(&edited);
    for (const std::string* each : {&eventRequest, &first, &second, &eventRequest, &third})
        server.receive(each->size()).send(emptyReply()).receive(8);
    server.start();

    ASSERT_EQ(connectTo(server), 1);
    session.remoteRun("in.txt", "t2006", false);
    session.remoteRun("in.txt", "", false);
    host.runEvent(event);
    view.script = edited;
    view.markScriptModified();
    session.remoteRun("in.txt", "", false);
    session.applyRemote(&host, 0, "127.0.0.1", server.enteredPort());

    const std::string stop = word("TSTSTOP");
    EXPECT_EQ(server.received(), eventRequest + stop + first + stop + second + stop + eventRequest +
                                     stop + third + stop);
    EXPECT_FALSE(view.modified);
}

// The toggle flips at every tick, sending or not (a server that went away is
// noticed by the pings in the dialog's own test against ZorServer).
TEST_F(RemoteSessionTest, PingWordsAlternate) {
    ScriptedServer first;
    first.receiveToEnd().start();
    ASSERT_EQ(connectTo(first), 1);
    for (int tick = 0; tick < 3; ++tick) session.pingTick();
    session.applyRemote(&host, 0, "127.0.0.1", 1);
    session.pingTick();
    EXPECT_EQ(first.received(), word("TSTPNG1") + word("TSTPNG2") + word("TSTPNG1"));
}

// An exchange cut short sends no "TSTSTOP", keeps the modified mark, so that
// the next run sends the pane again, and ends the session as a broken server
// (a flood of display data, or a file the script does not name, is the
// exchange's own test).
TEST_F(RemoteSessionTest, AReplyCutShortEndsTheSession) {
    const std::string paneRequest = sent(&paneBytes);
    ScriptedServer server;
    server.receive(paneRequest.size()).send(number(20) + "short").start();
    view.markScriptModified();
    ASSERT_EQ(connectTo(server), 1);
    const viewer::RunResult result = session.remoteRun("in.txt", "", false);
    EXPECT_EQ(result.outFile, "");
    EXPECT_EQ(result.errText, remote::brokenServerText);
    EXPECT_FALSE(session.connected());
    EXPECT_TRUE(view.modified);
    session.applyRemote(&host, 0, "127.0.0.1", 0);
    EXPECT_EQ(server.received(), paneRequest);
}
