#include "ReportCopy.h"

#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>

namespace zorrun {

ReportCopy::ReportCopy() {
    const char* folder = std::getenv("TMPDIR");
    path = std::string(folder && folder[0] ? folder : "/tmp") + "/zorrun-XXXXXX";
    reader = mkstemp(path.data());
    if (reader < 0) {
        path.clear();
        return;
    }
    // Nameless at once, so that no end of the process leaves it behind; the
    // writer reaches it through the descriptor.
    unlink(path.c_str());
    path = "/proc/self/fd/" + std::to_string(reader);
}

ReportCopy::~ReportCopy() {
    if (reader >= 0) close(reader);
}

std::string ReportCopy::make(int pass, std::size_t limit) {
    if (reader < 0 || !writer.openOut(path.c_str())) return "the report could not be copied";
    Parse::getVerStore()[0].differ(writer, Parse::getOutStore(), pass);
    writer.closeOut();
    const long start = end;
    end = lseek(reader, 0, SEEK_END);
    const std::size_t length = end > start ? static_cast<std::size_t>(end - start) : 0;
    std::string block(length < limit ? length : limit, '\0');
    const ssize_t got = pread(reader, block.data(), block.size(), start);
    block.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    if (length > limit) block += "\n[report cut after " + std::to_string(limit) + " bytes]\n";
    return block;
}

}  // namespace zorrun
