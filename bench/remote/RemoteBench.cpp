// One exchange with ZorServer on loopback, for a script of one test and one
// of 1,000 tests, beside the same scripts run in this process: the difference
// is what the protocol costs (sending the script, the server's file I/O,
// sending the output file and the device's picture back). A script without
// tests gives the bare round trip.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "ClientSocket.h"
#include "DisplayList.h"
#include "RemoteExchange.h"
#include "ServerProcess.h"
#include "run/Parse.h"
#include "run/ZorCall.h"
#include "store/DataMap.h"

namespace {

// The same script the server runs: a fresh report each time, then n echo tests.
std::string scriptOf(int tests) {
    std::string script = "deletefile \"bench_out.txt\"\r\nresultfile \"bench_out.txt\"\r\n";
    for (int i = 0; i < tests; ++i)
        script += "zortst { n = " + std::to_string(i) +
                  " name = \"item\" price = 1.25 verify: n == " + std::to_string(i) +
                  " name == \"item\" }\r\n";
    return script;
}

// The server's echo test, for the runs in this process.
void echoTest() {
    Parse::getOutStore() = *Parse::getInStore();
}
ZorCall echoRegistration("zortst", echoTest);

int runTest() {
    ZorCall::getFunc(Parse::getInStore()->getName())();
    return 1;
}

// A server and a client folder for the whole benchmark run.
struct Setup {
    Setup() {
        char clientPattern[] = "/tmp/zorbench-client-XXXXXX";
        char serverPattern[] = "/tmp/zorbench-server-XXXXXX";
        clientDir = mkdtemp(clientPattern);
        serverDir = mkdtemp(serverPattern);
        std::filesystem::current_path(clientDir);
        server = std::make_unique<zortest::ServerProcess>(
            std::vector<std::string>{ZORSERVER_PATH, "--port", "0", "-q"}, serverDir);
    }
    ~Setup() {
        server.reset();
        std::filesystem::remove_all(clientDir);
        std::filesystem::remove_all(serverDir);
    }
    std::string clientDir;
    std::string serverDir;
    std::unique_ptr<zortest::ServerProcess> server;
};

Setup& setup() {
    static Setup shared;
    return shared;
}

void remoteExchange(benchmark::State& state, const std::string& script) {
    if (!setup().server->started()) return state.SkipWithError("ZorServer did not start");
    remote::WireSocket connection;
    if (remote::openConnection("127.0.0.1", setup().server->viewerPort(), connection) != 1)
        return state.SkipWithError("cannot connect to ZorServer");
    remote::ExchangeRequest request;
    request.inputName = "bench.txt";
    request.script = script;
    for (auto _ : state) {
        display::DisplayList picture;
        remote::DiskReplyFiles files;
        const remote::ExchangeReply reply =
            remote::runExchange(connection, request, picture, files);
        if (!reply.finished || reply.errLine != 0) return state.SkipWithError("exchange failed");
        benchmark::DoNotOptimize(picture.size());
    }
}

void localRun(benchmark::State& state, const std::string& script) {
    std::filesystem::current_path(setup().clientDir);
    std::ofstream("local.txt", std::ios::binary) << script;
    for (auto _ : state)
        if (Parse::parseLoop("local.txt", "", runTest) != 0) state.SkipWithError("run failed");
}

void BM_RemoteBareExchange(benchmark::State& state) {
    remoteExchange(state, "// nothing to run\r\n");
}
void BM_RemoteOneTest(benchmark::State& state) {
    remoteExchange(state, scriptOf(1));
}
void BM_LocalOneTest(benchmark::State& state) {
    localRun(state, scriptOf(1));
}
void BM_Remote1000Tests(benchmark::State& state) {
    remoteExchange(state, scriptOf(1000));
}
void BM_Local1000Tests(benchmark::State& state) {
    localRun(state, scriptOf(1000));
}

// The server's share of an exchange is wall time in another process.
BENCHMARK(BM_RemoteBareExchange)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RemoteOneTest)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_LocalOneTest)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Remote1000Tests)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Local1000Tests)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
