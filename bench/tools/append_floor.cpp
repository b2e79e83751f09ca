// The open-append-close floor: what writing N report blocks costs when each is
// appended to the output file by its own open, one write and close, as the
// library does for each test record. ZorRun's benchmark compares with it.
//
// Usage: append_floor FILE N BLOCK_BYTES
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: append_floor FILE N BLOCK_BYTES\n", stderr);
        return 2;
    }
    const long count = std::atol(argv[2]);
    const std::string block(static_cast<std::size_t>(std::atol(argv[3])), 'x');
    for (long i = 0; i < count; ++i) {
        const int file = open(argv[1], O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (file < 0 || write(file, block.data(), block.size()) != static_cast<ssize_t>(block.size()) ||
            close(file) != 0) {
            std::perror(argv[1]);
            return 1;
        }
    }
    return 0;
}
