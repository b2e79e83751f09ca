// ZorLsp: the script language's server for editors, over stdin and stdout.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "MessageReader.h"
#include "Rpc.h"
#include "Server.h"
#include "host/PosixFiles.h"

namespace {

// False at the end of input or on an error that no retry mends.
bool readSome(zorlsp::MessageReader& reader) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        reader.feed(std::string_view(buffer, static_cast<std::size_t>(got)));
        return true;
    }
}

}  // namespace

int main() {
    // A client that goes away mid-answer ends the server with an error, not a signal.
    signal(SIGPIPE, SIG_IGN);
    bool outputOpen = true;
    zorlsp::Server server([&outputOpen](const zorlsp::Json& message) {
        if (outputOpen)
            outputOpen =
                host::writeAll(STDOUT_FILENO, zorlsp::frameMessage(zorlsp::serialize(message)));
    });
    zorlsp::MessageReader reader;
    while (!server.exited() && outputOpen) {
        std::vector<pollfd> watched{{STDIN_FILENO, POLLIN, 0}};
        for (const int fd : server.runFds()) watched.push_back({fd, POLLIN, 0});
        if (poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        for (std::size_t i = 1; i < watched.size(); ++i)
            if (watched[i].revents != 0) server.runReady(watched[i].fd);
        if (watched[0].revents == 0) continue;
        if (!readSome(reader)) return 1;
        zorlsp::Frame frame;
        while (!server.exited() && reader.next(frame)) server.receive(frame);
    }
    return server.exited() ? server.exitStatus() : 1;
}
