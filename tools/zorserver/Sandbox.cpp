#include "Sandbox.h"

#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cstdint>

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

constexpr std::uint64_t makeRights = LANDLOCK_ACCESS_FS_MAKE_CHAR | LANDLOCK_ACCESS_FS_MAKE_DIR |
                                     LANDLOCK_ACCESS_FS_MAKE_REG | LANDLOCK_ACCESS_FS_MAKE_SOCK |
                                     LANDLOCK_ACCESS_FS_MAKE_FIFO | LANDLOCK_ACCESS_FS_MAKE_BLOCK |
                                     LANDLOCK_ACCESS_FS_MAKE_SYM;
constexpr std::uint64_t removeRights =
    LANDLOCK_ACCESS_FS_REMOVE_DIR | LANDLOCK_ACCESS_FS_REMOVE_FILE;

std::uint64_t writeRights(long abi) {
    std::uint64_t rights = LANDLOCK_ACCESS_FS_WRITE_FILE | makeRights | removeRights;
    if (abi >= 2) rights |= referRight;
    if (abi >= 3) rights |= truncateRight;
    return rights;
}

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

}  // namespace

bool confineWritesToFolder(int folderFd, const char* sharedFile) {
    const long abi =
        syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1) return false;
    landlock_ruleset_attr ruleset{};
    ruleset.handled_access_fs = writeRights(abi);
    const int rulesetFd =
        static_cast<int>(syscall(SYS_landlock_create_ruleset, &ruleset, sizeof ruleset, 0));
    if (rulesetFd < 0) return false;
    allow(rulesetFd, "/dev", O_DIRECTORY, LANDLOCK_ACCESS_FS_WRITE_FILE);
    allow(rulesetFd, "/dev/shm", O_DIRECTORY, ruleset.handled_access_fs);
    allow(rulesetFd, sharedFile, O_NOFOLLOW, LANDLOCK_ACCESS_FS_WRITE_FILE);
    const bool confined = allowBeneath(rulesetFd, folderFd, ruleset.handled_access_fs) &&
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
