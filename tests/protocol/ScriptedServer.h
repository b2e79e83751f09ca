// A test server on loopback that accepts one connection, plays the receives
// and sends a test prepares, and records every byte it received. Every wait is
// bounded, and the connection closes when the play ends, so a client that
// misbehaves never hangs the test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "protocol/PortRule.h"

namespace remotetest {

class ScriptedServer {
public:
    ScriptedServer();
    ~ScriptedServer();

    // The port a viewer enters to reach this server.
    int enteredPort() const { return remote::tcpPortOf(port); }

    // Steps, played in order once start() is called.
    ScriptedServer& receive(std::size_t count);
    ScriptedServer& receiveToEnd() { return receive(SIZE_MAX); }
    ScriptedServer& send(std::string bytes);
    ScriptedServer& sendEndlessly(std::string bytes);
    ScriptedServer& pause(int milliseconds);
    void start();

    // Wait for the play to end: the bytes received, and how many the client took.
    std::string received();
    std::size_t sentCount() {
        received();
        return sent;
    }

private:
    ScriptedServer& then(std::function<void(int connection)> step);
    bool sendAll(int connection, const std::string& bytes);

    int listener = -1;
    int port = 0;
    std::vector<std::function<void(int)>> steps;
    std::string log;
    std::size_t sent = 0;
    std::thread player;
};

// The wire elements, as bytes.
std::string word(const char* text);
std::string number(int value);
std::string string(const std::string& text);
std::string counted(const std::string& bytes);

// The request of one exchange as the client sends it; script null sends n = 0.
std::string request(int depth, const std::string& root, const std::string& input,
                    const std::string* script, const std::string& filter);

}  // namespace remotetest
