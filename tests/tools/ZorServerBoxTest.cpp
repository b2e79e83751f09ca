// What a test function in ZorServer's worker cannot do, tried by a module's
// functions through ZorRun --remote: change files' metadata inside the folder
// or out, make devices, write to disks or shared memory, signal the server,
// or leave a process running after its exchange.
#include <gtest/gtest.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <thread>

#include "ZorRunFixture.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* refusedByFilter = "Operation not permitted";
constexpr const char* refusedByLandlock = "Permission denied";

bool haveLandlock() {
    return syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION) >= 1;
}

bool haveSeccomp() {
    return prctl(PR_GET_SECCOMP, 0, 0, 0, 0) >= 0;
}

std::optional<std::string> someBlockDevice() {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator("/dev", ignored))
        if (entry.is_block_file(ignored)) return entry.path().string();
    return std::nullopt;
}

std::string tamper(const std::string& op, const std::string& path, const std::string& result) {
    return "tamper { op = \"" + op + "\" path = \"" + path + "\" verify: result == \"" + result +
           "\" }\r\n";
}

class WorkerBoxTest : public zorruntest::ServerFixture {
protected:
    zorruntest::ChildResult run(const std::string& script) {
        zortest::writeFile(dir.file("s.txt"), "resultfile \"box.txt\"\r\n" + script);
        return zorRun({"--remote", address(), "s.txt"});
    }
    // A file outside the folder that the worker's user owns, so that only
    // the worker's box stands in the way.
    std::string outsideFile() {
        const std::string path = outsideDir.file("victim.txt");
        zortest::writeFile(path, "precious\n");
        zortest::giveToWorkerUser(outsideDir.path());
        return path;
    }

    zortest::TempDir outsideDir;
};

}  // namespace

// The filter refuses these calls wherever the file lies, even on the worker's
// own new file; FIFOs may still be made. Landlock keeps block devices and
// /dev/shm closed for writing.
TEST_F(WorkerBoxTest, MetadataDevicesAndSharedMemoryAreOutOfReach) {
    if (!haveSeccomp()) GTEST_SKIP() << "the kernel offers no seccomp filters";
    startServer({"--load", ZOR_MISBEHAVING_MODULE});
    const std::string outside = outsideFile();
    std::string script = tamper("write", "own.txt", "done") + tamper("mkfifo", "fifo", "done") +
                         tamper("mknod", "null", refusedByFilter);
    for (const std::string op : {"chmod", "chown", "utimes", "setxattr"})
        script += tamper(op, "own.txt", refusedByFilter) + tamper(op, outside, refusedByFilter);
    std::string skipped;
    if (!haveLandlock()) {
        skipped = "no Landlock: block devices and /dev/shm not tried";
    } else {
        if (fs::is_directory("/dev/shm"))
            script += tamper("write", "/dev/shm/zorbox", refusedByLandlock);
        if (const std::optional<std::string> disk = someBlockDevice())
            script += tamper("write", *disk, refusedByLandlock);
        else
            skipped = "no block device in /dev";
    }
    const zorruntest::ChildResult result = run(script);
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_FALSE(fs::exists("/dev/shm/zorbox"));
    EXPECT_EQ(zortest::readFile(outside), "precious\n");
    EXPECT_EQ(fs::status(outside).permissions() & fs::perms::others_write, fs::perms::none);
    if (!skipped.empty()) GTEST_SKIP() << skipped;
}

// Neither the worker's parent nor the server itself can be killed from the
// worker, and a process that left the worker's session is gone once the
// reply has come.
TEST_F(WorkerBoxTest, AWorkerNeitherEndsTheServerNorOutlivesItsExchange) {
    startServer({"--load", ZOR_MISBEHAVING_MODULE});
    if (!logged("in a PID namespace of its own") && geteuid() != 0)
        GTEST_SKIP() << "no PID namespace here, and the worker runs as the server's user: "
                     << server->output();
    const std::string pid = std::to_string(server->pid());
    const auto start = std::chrono::steady_clock::now();
    run("tamper { op = \"killParent\" path = \"\" }\r\ntamper { op = \"kill\" path = \"" + pid +
        "\" }\r\nleaveStray { path = \"stray.log\" }\r\n");
    const auto size = [&] { return fs::file_size(serverDir.path() / "stray.log"); };
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    const std::uintmax_t afterReply = size();
    EXPECT_GT(afterReply, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(size(), afterReply);

    EXPECT_EQ(kill(server->pid(), 0), 0);
    const zorruntest::ChildResult next = run(tamper("write", "next.txt", "done"));
    EXPECT_EQ(next.status, 0) << next.out << next.err << server->output();
}

// Under root the worker's user must be able to write into the folder, and
// root itself is no worker's user; not under root the option is refused.
TEST_F(WorkerBoxTest, AWorkerUserThatCannotWriteTheFolderKeepsTheServerFromStarting) {
    const bool root = geteuid() == 0;
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{}, "the worker's user nobody cannot create files in this folder"},
        {{"--user", "root"}, "--user root: the worker must not run as root"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(testing::PrintToString(each.args));
        if (!root && each.args.empty()) continue;
        std::vector<std::string> argv{"/usr/bin/timeout", "10", ZORSERVER_PATH, "--port", "0"};
        argv.insert(argv.end(), each.args.begin(), each.args.end());
        const zorruntest::ChildResult result = zorruntest::runChild(argv, outsideDir.path());
        EXPECT_EQ(result.status, 2);
        const std::string expected =
            root ? each.message : "only a server run as root changes the worker's user";
        EXPECT_NE(result.err.find(expected), std::string::npos) << result.err;
    }
}
