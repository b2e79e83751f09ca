// One exchange with ZorServer on loopback, for a script of one test and one
// of 1,000 tests, beside the same scripts run in this process. The server
// logs how long each run took inside it; the exchange's wall time less that
// is what the protocol costs (sending the script, storing it, sending the
// output file and the device's picture back, and the client's side of it),
// shown as the counters server_run_us and overhead_us. A script without
// tests gives the bare round trip.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "ServerProcess.h"
#include "display/DisplayList.h"
#include "protocol/ClientSocket.h"
#include "protocol/RemoteExchange.h"
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
            std::vector<std::string>{ZORSERVER_PATH, "--port", "0"}, serverDir);
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

// The mean of the run times that the server logged after the given offset.
double meanServerRunUs(std::size_t from) {
    const std::string log = setup().server->output();
    double total = 0;
    int runs = 0;
    for (std::size_t at = log.find(", run ", from); at != std::string::npos;
         at = log.find(", run ", at + 1)) {
        total += std::atof(log.c_str() + at + 6) * 1000;
        ++runs;
    }
    return runs > 0 ? total / runs : 0;
}

void remoteExchange(benchmark::State& state, const std::string& script) {
    if (!setup().server->started()) return state.SkipWithError("ZorServer did not start");
    remote::WireSocket connection;
    if (remote::openConnection("127.0.0.1", setup().server->viewerPort(), connection) != 1)
        return state.SkipWithError("cannot connect to ZorServer");
    remote::ExchangeRequest request;
    request.inputName = "bench.txt";
    request.script = script;
    request.replyNames.allow("bench_out.txt");
    const std::size_t logStart = setup().server->output().size();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        display::DisplayList picture;
        remote::DiskReplyFiles files;
        const remote::ExchangeReply reply =
            remote::runExchange(connection, request, picture, files);
        if (!reply.finished || reply.errLine != 0) return state.SkipWithError("exchange failed");
        benchmark::DoNotOptimize(picture.size());
    }
    const std::chrono::duration<double, std::micro> wall = std::chrono::steady_clock::now() - start;
    // The last exchange may still be on its way into the log.
    connection.close();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double serverRun = meanServerRunUs(logStart);
    state.counters["server_run_us"] = serverRun;
    state.counters["overhead_us"] =
        wall.count() / static_cast<double>(state.iterations()) - serverRun;
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
