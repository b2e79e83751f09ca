// The server's side of one exchange after the run: the reply with the output
// file it names (protocol/RemoteExchange.h has the layout).
#pragma once

#include <string>
#include <vector>

#include "protocol/RemoteVerdicts.h"
#include "protocol/WireSocket.h"

namespace zorserver {

// The largest output file that a number field with its zero byte announces.
constexpr long maxSendBytes = 9'999'999;

// The server's errors for a name it refused, followed by the name.
inline constexpr const char* outsideFolderText = "file outside the server's folder: ";
inline constexpr const char* unsendableNameText = "output file name that no client takes: ";
inline constexpr const char* linkedFileText =
    "file with more than one link in the server's folder: ";

struct ServerReply {
    // Empty: the run named no output file.
    std::string outFile;
    std::vector<std::string> blocks;
    int errLine = 0;
    int errPos = 0;
    std::string errText;
    // Asked for by the client: they go before the display blocks, so that a
    // display block that does not decode cannot hide them.
    bool verdictsWanted = false;
    std::vector<remote::RemoteVerdict> verdicts;
    remote::RemoteRunEnd runEnd;
};

// An error of the server's own, on line 1, unless the run had an error of its
// own: that one stays, as it points into the script.
void setServerError(ServerReply& reply, const std::string& text);

// The output file that a reply sends, opened beneath the folder before the
// reply goes out. A name that leads out, that no client takes, or a file with
// another link, is refused; a file that is not a regular one counts as a
// file that is not there.
class ReplyFile {
public:
    ReplyFile(int folderFd, const std::string& name);
    ~ReplyFile();
    ReplyFile(const ReplyFile&) = delete;
    ReplyFile& operator=(const ReplyFile&) = delete;

    bool isOpen() const { return fd >= 0; }
    long size() const { return bytes; }
    // The server's error when the name was refused; "" when it was not.
    const std::string& getRefusal() const { return refusal; }
    // Sends none of it: the reply announces length 0.
    void drop();
    // The length field and the bytes; false when the client went away.
    // sentBytes tells how many of them went out.
    bool send(remote::WireSocket& client, long& sentBytes);

private:
    int fd = -1;
    long bytes = 0;
    std::string refusal;
};

// Sends the reply with the file's content; false when the client went away.
bool sendReply(remote::WireSocket& client, const ServerReply& reply, ReplyFile& file,
               long& fileBytes);

}  // namespace zorserver
