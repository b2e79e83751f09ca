// Who a worker is. Under root it runs as an unprivileged user, so that the
// rights the kernel gives root (loading kernel modules, reading every file,
// signalling every process) stay with the server.
#pragma once

#include <sys/types.h>

#include <string>

namespace zorserver {

struct WorkerUser {
    // False when the server is not root: the worker keeps the server's user.
    bool switches = false;
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
};

// Under root: the user named (empty: the folder's owner when that is not
// root, else "nobody"), who must be able to create files in the folder. Not
// under root a name is refused. False with a one-line error.
bool chooseWorkerUser(const std::string& name, int folderFd, WorkerUser& user, std::string& error);

// Takes on the user, with its primary group alone; then, in a user namespace
// of its own, gives up the capabilities that the namespace lent it. False
// when the user could not be taken on.
bool becomeWorkerUser(const WorkerUser& user);

}  // namespace zorserver
