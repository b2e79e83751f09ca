// Runs code in a child process whose files may not grow beyond a limit, to see
// how writes that the disk refuses are handled without filling the disk.
// SIGXFSZ is ignored there, so that writes beyond the limit fail with EFBIG.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>

namespace zortest {

inline std::string underFileLimit(rlim_t limit, const std::function<std::string()>& body) {
    int out[2];
    if (pipe(out) != 0) return "no pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        close(out[0]);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit size{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &size) != 0) _exit(3);
        const std::string said = body();
        _exit(write(out[1], said.data(), said.size()) == static_cast<ssize_t>(said.size()) ? 0 : 3);
    }
    close(out[1]);
    std::string said;
    char chunk[256];
    for (ssize_t got; (got = read(out[0], chunk, sizeof chunk)) > 0;) said.append(chunk, got);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return said;
}

}  // namespace zortest
