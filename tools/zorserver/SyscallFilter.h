// The calls that the kernel's folder confinement does not see: they change a
// file's mode, owner, times or extended attributes, or make a device node,
// whatever folder the file lies in.
#pragma once

namespace zorserver {

// From now on these calls fail with EPERM in this process and whatever it
// starts: chmod, fchmod, fchmodat, fchmodat2; chown, fchown, lchown, fchownat;
// utime, utimes, utimensat, futimesat; setxattr, lsetxattr, fsetxattr,
// removexattr, lremovexattr, fremovexattr, setxattrat, removexattrat; mknod
// and mknodat of a character or block device (FIFOs and sockets stay); and
// io_uring_setup, whose rings reach the same operations past this filter. A
// filter cannot read the path a call names, so the calls fail inside the
// folder too. False, with no effect, where the kernel offers no seccomp.
bool blockMetadataCalls();

}  // namespace zorserver
