#include "Sandbox.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cstdint>
#include <cstring>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZOR_HAS_SANITIZER 1
#endif
#endif
#ifndef ZOR_HAS_SANITIZER
#define ZOR_HAS_SANITIZER 0
#endif

namespace zorserver {

namespace {

// Rights of later kernels than the headers may know.
constexpr std::uint64_t referRight = 1ULL << 13;     // ABI 2
constexpr std::uint64_t truncateRight = 1ULL << 14;  // ABI 3

// Device nodes are handled, so that no rule lets a worker make one.
constexpr std::uint64_t deviceRights = LANDLOCK_ACCESS_FS_MAKE_CHAR | LANDLOCK_ACCESS_FS_MAKE_BLOCK;
constexpr std::uint64_t makeRights = LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                                     LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                                     LANDLOCK_ACCESS_FS_MAKE_SYM;
constexpr std::uint64_t removeRights =
    LANDLOCK_ACCESS_FS_REMOVE_DIR | LANDLOCK_ACCESS_FS_REMOVE_FILE;

// What a worker may do beneath its folder.
std::uint64_t folderRights(long abi) {
    std::uint64_t rights = LANDLOCK_ACCESS_FS_WRITE_FILE | makeRights | removeRights;
    if (abi >= 2) rights |= referRight;
    if (abi >= 3) rights |= truncateRight;
    return rights;
}

// /dev/shm, /dev/mqueue and the like hold no devices, and may hold many files.
constexpr int deviceFolderDepth = 3;

bool allowBeneath(int rulesetFd, int dirFd, std::uint64_t rights) {
    landlock_path_beneath_attr rule{};
    rule.allowed_access = rights;
    rule.parent_fd = dirFd;
    return syscall(SYS_landlock_add_rule, rulesetFd, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) == 0;
}

// A rule beside the folder's only widens what a worker may do: one that
// cannot be added (a path that is missing) leaves the worker narrower.
void allow(int rulesetFd, const char* path, int flags, std::uint64_t rights) {
    const int fd = open(path, O_PATH | O_CLOEXEC | flags);
    if (fd < 0) return;
    allowBeneath(rulesetFd, fd, rights);
    close(fd);
}

bool isDeviceFolder(const char* name) {
    return std::strcmp(name, "shm") != 0 && std::strcmp(name, "mqueue") != 0 &&
           std::strcmp(name, "hugepages") != 0 && name[0] != '.';
}

// Each character device beneath the folder may be opened for writing, one
// rule a node: block devices (disks) get none, and neither do the files that
// a worker could leave in /dev/shm.
void allowCharacterDevices(int rulesetFd, int dirFd, int depth) {
    DIR* dir = fdopendir(dirFd);
    if (!dir) {
        close(dirFd);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        struct stat status;
        if (fstatat(dirFd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
        const int flags = O_PATH | O_NOFOLLOW | O_CLOEXEC;
        if (S_ISCHR(status.st_mode)) {
            if (const int fd = openat(dirFd, entry->d_name, flags); fd >= 0) {
                allowBeneath(rulesetFd, fd, LANDLOCK_ACCESS_FS_WRITE_FILE);
                close(fd);
            }
        } else if (S_ISDIR(status.st_mode) && depth > 0 && isDeviceFolder(entry->d_name)) {
            const int sub =
                openat(dirFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) allowCharacterDevices(rulesetFd, sub, depth - 1);
        }
    }
    closedir(dir);
}

}  // namespace

bool confineWritesToFolder(int folderFd, const char* sharedFile) {
    const long abi =
        syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1) return false;
    landlock_ruleset_attr ruleset{};
    ruleset.handled_access_fs = folderRights(abi) | deviceRights;
    const int rulesetFd =
        static_cast<int>(syscall(SYS_landlock_create_ruleset, &ruleset, sizeof ruleset, 0));
    if (rulesetFd < 0) return false;
    if (const int dev = open("/dev", O_RDONLY | O_DIRECTORY | O_CLOEXEC); dev >= 0)
        allowCharacterDevices(rulesetFd, dev, deviceFolderDepth);
    // Terminals opened after this point appear here.
    allow(rulesetFd, "/dev/pts", O_DIRECTORY, LANDLOCK_ACCESS_FS_WRITE_FILE);
    allow(rulesetFd, sharedFile, O_NOFOLLOW, LANDLOCK_ACCESS_FS_WRITE_FILE);
    const bool confined = allowBeneath(rulesetFd, folderFd, folderRights(abi)) &&
                          prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
                          syscall(SYS_landlock_restrict_self, rulesetFd, 0) == 0;
    close(rulesetFd);
    return confined;
}

void limitAddressSpace(unsigned long long bytes) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || ZOR_HAS_SANITIZER
    (void)bytes;
#else
    if (bytes == 0) return;
    const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    setrlimit(RLIMIT_AS, &limit);
#endif
}

}  // namespace zorserver
