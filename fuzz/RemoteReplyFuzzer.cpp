// Plays any bytes as a test server's reply to one exchange, over a real
// socket pair. The client must take what it can, stop where the bytes end,
// never keep more than its receive limits, only ever move a temporary file
// over the output file it was received for, and never one for a name that
// was refused. The files live in memory,
// so that no name a reply makes up ever reaches the disk.
#include <sys/socket.h>
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "display/DisplayList.h"
#include "protocol/RemoteExchange.h"
#include "protocol/ReplyFiles.h"
#include "protocol/WireSocket.h"

namespace {

// More than the socket pair's buffer would block the single-threaded writer.
constexpr std::size_t maxReply = 64 * 1024;

void check(bool holds) {
    if (!holds) std::abort();
}

bool hasControl(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// Refuses what the disk refuses by the name alone: absolute names, parent
// steps and the script itself.
class MemoryFiles : public remote::ReplyFiles {
public:
    bool accept(const std::string& name, const std::string& script) override {
        check(!open && accepted.empty());
        check(!name.empty() && name.size() <= remote::outNameChars && !hasControl(name));
        if (name.front() == '/' || name.find("..") != std::string::npos || name == script)
            return false;
        accepted = name;
        return true;
    }
    bool create() override {
        check(!open && !created && !accepted.empty());
        created = open = true;
        return true;
    }
    bool write(const char*, std::size_t count) override {
        check(open && count > 0 && count <= remote::chunkSize);
        return true;
    }
    bool close() override {
        check(open);
        open = false;
        return true;
    }
    bool replace() override {
        check(!open && created);
        replaced = accepted;
        return true;
    }
    void remove() override { check(!open && created); }

    std::string accepted;
    std::string replaced;
    bool created = false;
    bool open = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > maxReply) return 0;
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return 0;
    remote::WireSocket server(pair[1]);
    check(server.send(data, size) == size);
    shutdown(pair[1], SHUT_WR);

    remote::WireSocket client(pair[0]);
    remote::ExchangeRequest request;
    request.inputName = "in.txt";
    request.script = "t{}";
    request.replyNames.allow("out.txt");
    display::DisplayList display;
    MemoryFiles files;
    const remote::ExchangeReply reply = remote::runExchange(client, request, display, files);

    check(reply.outFile.size() <= remote::outNameChars && !hasControl(reply.outFile));
    check(reply.errText.size() < remote::errTextLimit);
    check(reply.errText.find('\0') == std::string::npos);
    check(!files.open);
    check(files.replaced.empty() || files.replaced == reply.outFile);
    check(reply.outsideName.empty() || (reply.outFile.empty() && !files.created));
    check(reply.unnamedName.empty() || (reply.outFile.empty() && !files.created));
    check(files.accepted.empty() || request.replyNames.admits(files.accepted));
    // Display data beyond the limits ends the exchange and closes the stream.
    check(display.size() <= std::size_t{remote::maxDisplayBlocks} * remote::chunkSize);
    check(client.isOpen() || !reply.finished);
    return 0;
}
