#include "WorkerUser.h"

#include <grp.h>
#include <linux/capability.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zorserver {

namespace {

constexpr const char* defaultWorkerUser = "nobody";

bool lookUp(const std::string& name, WorkerUser& user, std::string& error) {
    const passwd* entry = getpwnam(name.c_str());
    if (!entry) {
        error = "--user " + name + ": no such user";
        return false;
    }
    if (entry->pw_uid == 0) {
        error = "--user " + name + ": the worker must not run as root";
        return false;
    }
    user = {true, name, entry->pw_uid, entry->pw_gid};
    return true;
}

std::string ownerName(uid_t uid) {
    const passwd* entry = getpwuid(uid);
    return entry ? entry->pw_name : "";
}

// Creating a file in a folder takes both write and search rights on it.
bool mayCreateIn(const struct stat& folder, const WorkerUser& user) {
    constexpr mode_t both = S_IWOTH | S_IXOTH;
    if (folder.st_uid == user.uid) return (folder.st_mode >> 6 & both) == both;
    if (folder.st_gid == user.gid) return (folder.st_mode >> 3 & both) == both;
    return (folder.st_mode & both) == both;
}

// Capabilities that a new user namespace lends its first process; the worker
// needs none of them.
void dropCapabilities() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[_LINUX_CAPABILITY_U32S_3] = {};
    syscall(SYS_capset, &header, none);
}

}  // namespace

bool chooseWorkerUser(const std::string& name, int folderFd, WorkerUser& user, std::string& error) {
    if (geteuid() != 0) {
        user = {};
        if (name.empty()) return true;
        error = "--user " + name + ": only a server run as root changes the worker's user";
        return false;
    }
    struct stat folder;
    if (fstat(folderFd, &folder) != 0) {
        error = "cannot read the folder's owner";
        return false;
    }
    std::string chosen = name;
    if (chosen.empty()) chosen = folder.st_uid != 0 ? ownerName(folder.st_uid) : "";
    if (chosen.empty()) chosen = defaultWorkerUser;
    if (!lookUp(chosen, user, error)) return false;
    if (mayCreateIn(folder, user)) return true;
    error = "the worker's user " + chosen +
            " cannot create files in this folder: make it the folder's owner (chown " + chosen +
            " .) or name another with --user";
    return false;
}

// Groups first, then the group, then the user: each step needs the rights
// that the next one gives up.
bool becomeWorkerUser(const WorkerUser& user) {
    if (!user.switches) {
        dropCapabilities();
        return true;
    }
    return setgroups(1, &user.gid) == 0 && setresgid(user.gid, user.gid, user.gid) == 0 &&
           setresuid(user.uid, user.uid, user.uid) == 0 && getuid() == user.uid;
}

}  // namespace zorserver
