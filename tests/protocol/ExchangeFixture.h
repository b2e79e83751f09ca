// One exchange against a scripted server on loopback, in a fresh current folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ScriptedServer.h"
#include "TempDir.h"
#include "display/DisplayList.h"
#include "display/GraphicRecord.h"
#include "protocol/ClientSocket.h"
#include "protocol/RemoteExchange.h"

namespace remotetest {

template <class... Records>
std::string encoded(const Records&... records) {
    std::string bytes;
    for (const display::GraphicRecord* record :
         {static_cast<const display::GraphicRecord*>(&records)...}) {
        std::string text(static_cast<std::size_t>(record->encodedLength()), '\0');
        char* cursor = text.data();
        record->encode(cursor, text.data() + text.size());
        bytes += text;
    }
    return bytes;
}

// A reply: the output name (none when empty), the file, the display blocks,
// and the error; its text goes when both the line and the text are not empty.
inline std::string reply(const std::string& name, const std::string& file,
                         const std::vector<std::string>& blocks = {}, int line = 0,
                         int position = 0, const std::string& text = "") {
    std::string wire = (name.empty() ? number(0) : string(name)) + counted(file);
    for (const std::string& block : blocks) wire += counted(block);
    wire += number(0) + number(line) + number(position);
    return wire + (line > 0 && !text.empty() ? string(text) : number(0));
}

class ExchangeFixture : public ::testing::Test {
protected:
    ExchangeFixture() : previousDir(std::filesystem::current_path()) {
        std::filesystem::current_path(dir.path());
        request.traceDepth = 25;
        request.traceRoot = "Root";
        request.inputName = "in.txt";
        request.script = script;
        request.replyNames.allow(outFile);
    }
    ~ExchangeFixture() override { std::filesystem::current_path(previousDir); }

    std::string requestBytes() const {
        return remotetest::request(25, "Root", request.inputName, &script, "");
    }
    remote::ExchangeReply exchange(ScriptedServer& server) {
        server.start();
        remote::WireSocket connection;
        EXPECT_EQ(remote::openConnection("127.0.0.1", server.enteredPort(), connection), 1);
        remote::DiskReplyFiles files;
        const remote::ExchangeReply reply =
            remote::runExchange(connection, request, display, files);
        connectionOpen = connection.isOpen();
        return reply;
    }
    // The server answers the request with the reply and takes "TSTSTOP".
    remote::ExchangeReply answer(const std::string& reply) {
        ScriptedServer server;
        server.receive(requestBytes().size()).send(reply).receive(8);
        const remote::ExchangeReply result = exchange(server);
        serverLog = server.received();
        return result;
    }
    // Whether the server heard the request and then "TSTSTOP": the stream was in step.
    bool stoppedInStep() const { return serverLog == requestBytes() + word("TSTSTOP"); }

    zortest::TempDir dir;
    std::filesystem::path previousDir;
    const std::string script = "t1 { x = 1 }\r\n";
    remote::ExchangeRequest request;
    display::DisplayList display;
    std::string outFile = "out.txt";
    std::string serverLog;
    bool connectionOpen = false;  // after the last exchange
};

}  // namespace remotetest
