#include "FolderAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace zorserver {

int removeBeneath(int folderFd, const std::string& name) {
    std::string parent = ".";
    std::string last = name;
    if (const std::size_t slash = name.find_last_of('/'); slash != std::string::npos) {
        parent = slash == 0 ? "/" : name.substr(0, slash);
        last = name.substr(slash + 1);
    }
    if (last == "..") {
        errno = EXDEV;
        return -1;
    }
    if (last.empty() || last == ".") {
        errno = EISDIR;
        return -1;
    }
    const int dirFd = openBeneath(folderFd, parent, O_PATH | O_DIRECTORY);
    if (dirFd < 0) return -1;
    const int removed = unlinkat(dirFd, last.c_str(), 0);
    const int saved = errno;
    close(dirFd);
    errno = saved;
    return removed;
}

bool leadsOutside(int error) {
    return error == EXDEV;
}

bool isHardLinked(int fd) {
    struct stat status {};
    return fstat(fd, &status) != 0 || status.st_nlink > 1;
}

bool canOpenBeneath(int folderFd) {
    const int fd = openBeneath(folderFd, ".", O_PATH | O_DIRECTORY);
    if (fd < 0) return false;
    close(fd);
    return true;
}

}  // namespace zorserver
