#include "SyscallFilter.h"

#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>

#include <cerrno>
#include <initializer_list>

namespace zorserver {

namespace {

// Calls newer than the library may know by name; their numbers are the same
// on every architecture.
struct NumberedCall {
    const char* name;
    int number;
};
constexpr NumberedCall newerCalls[] = {
    {"fchmodat2", 452},
    {"setxattrat", 463},
    {"removexattrat", 466},
};

constexpr const char* deniedCalls[] = {
    "chmod",        "fchmod",       "fchmodat",       "chown",     "fchown",    "lchown",
    "fchownat",     "chown32",      "fchown32",       "lchown32",  "utime",     "utimes",
    "utimensat",    "futimesat",    "setxattr",       "lsetxattr", "fsetxattr", "removexattr",
    "lremovexattr", "fremovexattr", "io_uring_setup",
};

// A name this architecture lacks (chown32 on 64-bit machines) is no gap.
bool deny(scmp_filter_ctx filter, int call, unsigned count = 0,
          const scmp_arg_cmp* args = nullptr) {
    if (call == __NR_SCMP_ERROR) return true;
    const int added = seccomp_rule_add_array(filter, SCMP_ACT_ERRNO(EPERM), call, count, args);
    return added == 0 || added == -EDOM;
}

bool denyByName(scmp_filter_ctx filter, const char* name) {
    return deny(filter, seccomp_syscall_resolve_name(name));
}

int numberOf(const NumberedCall& call) {
    const int known = seccomp_syscall_resolve_name(call.name);
    return known == __NR_SCMP_ERROR ? call.number : known;
}

// mknod(path, mode, dev) and mknodat(dir, path, mode, dev) with a device type.
bool denyDeviceNodes(scmp_filter_ctx filter) {
    for (const mode_t type : {S_IFCHR, S_IFBLK}) {
        const scmp_arg_cmp mknodMode = SCMP_A1(SCMP_CMP_MASKED_EQ, S_IFMT, type);
        const scmp_arg_cmp mknodatMode = SCMP_A2(SCMP_CMP_MASKED_EQ, S_IFMT, type);
        if (!deny(filter, seccomp_syscall_resolve_name("mknod"), 1, &mknodMode) ||
            !deny(filter, seccomp_syscall_resolve_name("mknodat"), 1, &mknodatMode))
            return false;
    }
    return true;
}

bool addRules(scmp_filter_ctx filter) {
    for (const char* name : deniedCalls)
        if (!denyByName(filter, name)) return false;
    for (const NumberedCall& call : newerCalls)
        if (!deny(filter, numberOf(call))) return false;
    return denyDeviceNodes(filter);
}

}  // namespace

bool blockMetadataCalls() {
    const scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (!filter) return false;
    // Loading a filter without privileges needs this; Landlock sets it too.
    prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    const bool loaded = addRules(filter) && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return loaded;
}

}  // namespace zorserver
