// A server program run in the background for a test or a benchmark: started
// in a folder, waited for until it announces its port, and ended (SIGTERM)
// when the object goes. It also ends when the process that started it does,
// so that no server outlives a crashed test.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"

namespace zortest {

// A server run as root runs scripts as the folder's owner, or as nobody when
// that is root; they must be able to write there. Servers are started in
// folders given to that user.
void giveToWorkerUser(const std::filesystem::path& folder);

class ServerProcess {
public:
    // argv[0] is the program's path. Waits up to ten seconds for the line
    // "... TCP port T; viewers enter port P". A maxFileSize above 0 bounds the
    // files the server writes (RLIMIT_FSIZE, SIGXFSZ ignored) as a full disk.
    ServerProcess(const std::vector<std::string>& argv, const std::string& dir,
                  long maxFileSize = 0);
    ~ServerProcess() { stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool started() const { return enteredPort > 0; }
    int viewerPort() const { return enteredPort; }
    int tcpPort() const { return listeningPort; }
    pid_t pid() const { return child; }
    // What the server printed so far (stdout, then stderr).
    std::string output() const { return readFile(outFile) + readFile(errFile); }
    // Ends the server now; its exit status, or -1 when a signal ended it.
    int stop();

private:
    TempDir files;  // what the server prints goes here
    std::string outFile = files.file("out");
    std::string errFile = files.file("err");
    pid_t child = -1;
    int enteredPort = 0;
    int listeningPort = 0;
};

}  // namespace zortest
