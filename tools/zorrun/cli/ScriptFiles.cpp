#include "ScriptFiles.h"

#include "CheckedScript.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zorrun {

namespace {

std::string reasonOf(int error) {
    return error == 0 ? "unknown reason" : std::strerror(error);
}

}  // namespace

// Positions are adjusted by the line number alone (offset - line + 1), so within
// one line a position and a byte offset differ by the same amount: the column is
// the distance from the line's first character whatever the line ends are.
int errorColumn(const std::string& script, int line, int position) {
    if (line < 1) return 0;
    const CheckedScript checked(script);
    if (!checked.getProblem().empty()) return 0;
    std::FILE* file = std::fopen(checked.getPath().c_str(), "rb");
    if (!file) return 0;
    long offset = 0, lineStart = 0;
    int current = 1, c = 0;
    while (current < line && (c = std::getc(file)) != EOF) {
        ++offset;
        if (c == '\n') {
            ++current;
            lineStart = offset;
        }
    }
    long lineLength = 0;
    while (current == line && (c = std::getc(file)) != EOF && c != '\n' && c != '\r') ++lineLength;
    std::fclose(file);
    if (current < line) return 0;
    const long column = position - (lineStart - line + 1) + 1;
    if (column < 1) return 1;
    return static_cast<int>(column > lineLength + 1 ? lineLength + 1 : column);
}

long fileSize(const char* path) {
    struct stat status;
    if (!path || !path[0] || stat(path, &status) != 0) return -1;
    return static_cast<long>(status.st_size);
}

// A stream iterator would throw where the script is a folder.
std::string readScriptText(const std::string& path) {
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return text;
    char chunk[1 << 16];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
        text.append(chunk, got);
    }
    if (std::ferror(file)) text.clear();
    std::fclose(file);
    return text;
}

// Never waits: a FIFO is told by its status, before any open.
std::string unreadableReason(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) == 0) {
        const std::string problem = scriptKindProblem(status.st_mode, status.st_size);
        if (!problem.empty()) return problem;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return reasonOf(errno);
    close(fd);
    return "in use by a writer";
}

// Never creates the file: the library could not, and a file created here would
// only hide that.
std::string unwritableReason(const std::string& path) {
    if (path.empty()) return "the script names no output file";
    struct stat status;
    if (stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return "is a directory";
        const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0) return reasonOf(errno);
        close(fd);
        return "in use by another reader or writer";
    }
    const std::string::size_type slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    if (stat(folder.c_str(), &status) != 0) return "directory " + folder + " does not exist";
    if (access(folder.c_str(), W_OK) != 0) return reasonOf(errno);
    return "cannot be created";
}

}  // namespace zorrun
