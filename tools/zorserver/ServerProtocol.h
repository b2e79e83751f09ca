// The server's side of one exchange: reading the request that follows
// "TSTEXEC", storing the script it brings, and sending the reply
// (protocol/RemoteExchange.h has the layout).
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "protocol/WireSocket.h"

namespace zorserver {

// The client's own limit: a longer script has no length field with its zero byte.
constexpr long maxScriptBytes = 9'999'999;
// The largest output file that a number field with its zero byte announces.
constexpr long maxSendBytes = 9'999'999;

// The scripts that clients sent, kept in the server's folder under the last
// component of their input name, at most maxNames distinct names of them.
class ScriptStore {
public:
    ScriptStore(int folder, std::size_t maxNames) : folderFd(folder), nameLimit(maxNames) {}

    // Takes length script bytes from the client into the file. The script
    // goes into a sibling file first, which is made anew and never through
    // a link: a script that does not arrive whole never replaces the one kept
    // from before. Sets reason when the script is not stored; false when the
    // connection ended inside it.
    bool receive(remote::WireSocket& client, long length, const std::string& file,
                 std::string& reason);

private:
    bool admits(const std::string& file) const;
    std::string store(remote::WireSocket& client, long length, const std::string& file,
                      bool& arrived);

    int folderFd;
    std::size_t nameLimit;
    std::set<std::string> names;
};

struct ServerRequest {
    // The number field before the trace depth: reserved, sent as 0, not used.
    int reserved = 0;
    int traceDepth = 0;
    std::string traceRoot;
    std::string inputName;
    // The file in the server's folder that holds the script: localInputName.
    std::string scriptFile;
    // Whether a script came (n > 0).
    bool scriptSent = false;
    // Why a script that came is not stored; the exchange then runs nothing.
    std::string storeError;
    std::string filter;
};

// Reads the request and stores a sent script through the store. False when
// the client went away within the request; reason then says so.
bool readRequest(remote::WireSocket& client, ScriptStore& store, ServerRequest& request,
                 std::string& reason);

struct ServerReply {
    // Empty: the run named no output file.
    std::string outFile;
    std::vector<std::string> blocks;
    int errLine = 0;
    int errPos = 0;
    std::string errText;
};

// An error of the server's own, on line 1, unless the run had an error of its
// own: that one stays, as it points into the script.
void setServerError(ServerReply& reply, const std::string& text);

// The output file that a reply sends, opened beneath the folder before the
// reply goes out. A name that leads out, or a file that is not a regular
// one, counts as a file that is not there.
class ReplyFile {
public:
    ReplyFile(int folderFd, const std::string& name);
    ~ReplyFile();
    ReplyFile(const ReplyFile&) = delete;
    ReplyFile& operator=(const ReplyFile&) = delete;

    bool isOpen() const { return fd >= 0; }
    long size() const { return bytes; }
    // Whether the name led out of the folder.
    bool leadsOutside() const { return outside; }
    // Sends none of it: the reply announces length 0.
    void drop();
    // The length field and the bytes; false when the client went away.
    // sentBytes tells how many of them went out.
    bool send(remote::WireSocket& client, long& sentBytes);

private:
    int fd = -1;
    long bytes = 0;
    bool outside = false;
};

// Sends the reply with the file's content; false when the client went away.
bool sendReply(remote::WireSocket& client, const ServerReply& reply, ReplyFile& file,
               long& fileBytes);

// The file the script is stored in: the last component of the name the
// client sent, so that it stays in the server's folder; "in.txt" when that
// is empty, "." or "..".
std::string localInputName(const std::string& sentName);

}  // namespace zorserver
