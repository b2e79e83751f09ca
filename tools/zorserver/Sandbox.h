// The walls around a worker beside the file guard: the kernel's own
// confinement to the folder, and a bound on its memory.
#pragma once

namespace zorserver {

// Lets the process, from now on, create, write, truncate, rename and remove
// files beneath the folder only, besides opening the character devices under
// /dev for writing (a module's functions drive the device under test through
// them) and the one shared file named (the library's machine-wide output
// lock, which every writer opens). No block device is opened for writing, no
// device node is made, and nothing is left in /dev/shm. Reading stays free:
// modules and the C library read system files. Uses Landlock; false, with no
// effect, where the kernel does not offer it.
bool confineWritesToFolder(int folderFd, const char* sharedFile);

// The address space bound; 0 leaves it unbounded. Builds with a sanitizer
// skip it: their shadow memory alone is larger than any useful bound.
void limitAddressSpace(unsigned long long bytes);

}  // namespace zorserver
