#include "LastFailed.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "Verdicts.h"
#include "host/FailedTests.h"
#include "host/PosixFiles.h"

namespace zorlsp {

namespace {

// ZorRun does not read back a larger file; an editor's hover reads less.
constexpr std::size_t maxLastFailedSize = 16u << 20;

// The file's bytes, or "" when it is not there to be read safely.
std::string readKept(const std::string& folder) {
    const int root = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int kept = root < 0 ? -1
                              : openat(root, host::failedTestsFolder,
                                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int fd = kept < 0 ? -1
                            : openat(kept, host::failedTestsName,
                                     O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    std::optional<std::string> text = host::readRegularFile(fd, maxLastFailedSize);
    for (const int held : {fd, kept, root})
        if (held >= 0) close(held);
    return text ? std::move(*text) : std::string();
}

}  // namespace

bool readLastFailedText(const std::string& text, const std::string& folder,
                        const std::string& scriptPath, LastFailed& failed) {
    failed = LastFailed{};
    std::vector<host::FailedTest> tests;
    if (!host::readFailedTests(text, tests)) return false;
    bool named = false;
    // Lines come grouped by script: each script is looked for once per group.
    const std::string* last = nullptr;
    bool lastMatched = false;
    for (host::FailedTest& test : tests) {
        if (!last || test.script != *last) lastMatched = samePath(test.script, scriptPath, folder);
        last = &test.script;
        if (!lastMatched) continue;
        named = true;
        if (test.name.empty())
            failed.scriptErrored = true;
        else
            failed.tests.push_back({std::move(test.name), test.ordinal, test.position});
    }
    return named;
}

bool readLastFailed(const std::string& folder, const std::string& scriptPath, LastFailed& failed) {
    failed = LastFailed{};
    return !folder.empty() && readLastFailedText(readKept(folder), folder, scriptPath, failed);
}

bool hasFailed(const LastFailed& failed, const std::string& name, int ordinal, int position) {
    return std::any_of(failed.tests.begin(), failed.tests.end(), [&](const LastFailedTest& test) {
        return test.name == name &&
               (test.ordinal > 0 ? test.ordinal == ordinal : test.position == position);
    });
}

}  // namespace zorlsp
