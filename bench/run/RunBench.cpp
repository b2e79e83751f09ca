// A generated script of N tests run through parseLoop with an echo test
// function, writing the real report; beside it the append floor (open, append
// one report block, close, per test) that the report format imposes.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "host/RunCallback.h"
#include "run/AdaptIO.h"
#include "run/Parse.h"
#include "run/ZorCall.h"
#include "script/Scanner.h"
#include "script/ScriptEngine.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"

namespace fs = std::filesystem;

namespace {

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One generated workload per N, kept for the life of the process. Only its
// first report block is held in memory, so that peak memory shows the run's.
struct Workload {
    fs::path dir;
    std::uintmax_t scriptBytes = 0;
    std::string firstBlock;
    bool ready = false;
};

class Workloads {
public:
    ~Workloads() {
        std::error_code ignored;
        for (auto& [tests, work] : made) fs::remove_all(work.dir, ignored);
    }
    const Workload& get(int tests) {
        auto [at, fresh] = made.try_emplace(tests);
        if (fresh) generate(tests, at->second);
        return at->second;
    }

private:
    static void generate(int tests, Workload& work) {
        work.dir = fs::temp_directory_path() /
                   ("zorbench-" + std::to_string(getpid()) + "-" + std::to_string(tests));
        fs::create_directories(work.dir);
        const std::string command = "python3 '" ZOR_GEN_SCRIPT "' " + std::to_string(tests) +
                                    " --report --out '" + work.dir.string() + "' > /dev/null";
        if (!fs::exists(ZOR_GEN_SCRIPT) || std::system(command.c_str()) != 0) return;
        work.scriptBytes = fs::file_size(work.dir / "cases.zor.txt");
        std::ifstream report(work.dir / "expected_zor_out.txt", std::ios::binary);
        for (std::string line; std::getline(report, line);) {
            work.firstBlock += line + "\n";
            if (line == "}\r") break;
        }
        work.firstBlock += "\r\n";
        work.ready = true;
    }

    std::map<int, Workload> made;
};

const Workload& workload(int tests) {
    static Workloads workloads;
    return workloads.get(tests);
}

bool sameContent(const fs::path& a, const fs::path& b) {
    std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
    std::istreambuf_iterator<char> end;
    return std::equal(std::istreambuf_iterator<char>(first), end,
                      std::istreambuf_iterator<char>(second), end);
}

// Runs inside the workload's folder, where the script's relative output file goes.
class InFolder {
public:
    explicit InFolder(const fs::path& dir) : previous(fs::current_path()) { fs::current_path(dir); }
    ~InFolder() { fs::current_path(previous); }

private:
    fs::path previous;
};

// Wall time of the measured calls only, so that the figures count the file
// system's time too and leave out the removal of the last run's output.
class WallTime {
public:
    template <typename Body>
    void measure(Body body) {
        const auto start = std::chrono::steady_clock::now();
        body();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    double total() const { return seconds; }

private:
    double seconds = 0;
};

void reportFigures(benchmark::State& state, const WallTime& wall, int tests, std::uintmax_t bytes) {
    const double runs = static_cast<double>(state.iterations());
    state.counters["us_per_test"] = wall.total() * 1e6 / (runs * tests);
    state.counters["MB_per_s"] = runs * static_cast<double>(bytes) / 1e6 / wall.total();
    state.counters["peak_MiB"] = static_cast<double>(peakKiB()) / 1024.0;
}

void BM_ParseLoop(benchmark::State& state) {
    const int tests = static_cast<int>(state.range(0));
    const Workload& work = workload(tests);
    if (!work.ready) return state.SkipWithError("workload generator " ZOR_GEN_SCRIPT " is absent");
    InFolder folder(work.dir);
    WallTime wall;
    int result = 0;
    for (auto _ : state) {
        fs::remove("zor_out.txt");
        wall.measure([&] { result = Parse::parseLoop("cases.zor.txt", "", runCallback); });
    }
    if (result != 0) return state.SkipWithError("the run did not end with 0");
    if (!sameContent("zor_out.txt", "expected_zor_out.txt"))
        return state.SkipWithError("the report differs from the expected report");
    reportFigures(state, wall, tests, work.scriptBytes);
}

// Scanning and parsing with the stores filled, but no test run and no report.
void BM_ParseOnly(benchmark::State& state) {
    const int tests = static_cast<int>(state.range(0));
    const Workload& work = workload(tests);
    if (!work.ready) return state.SkipWithError("workload generator " ZOR_GEN_SCRIPT " is absent");
    InFolder folder(work.dir);
    WallTime wall;
    for (auto _ : state) {
        fs::remove("zor_out.txt");
        wall.measure([] { Parse::parseLoop("cases.zor.txt", "", nullptr); });
    }
    reportFigures(state, wall, tests, work.scriptBytes);
}

// The scanner alone: every token of the script, no parser and no actions.
void BM_ScanOnly(benchmark::State& state) {
    const int tests = static_cast<int>(state.range(0));
    const Workload& work = workload(tests);
    if (!work.ready) return state.SkipWithError("workload generator " ZOR_GEN_SCRIPT " is absent");
    const std::string script = (work.dir / "cases.zor.txt").string();
    AdaptIO io;
    WallTime wall;
    long tokens = 0;
    for (auto _ : state) {
        wall.measure([&] {
            io.openIn(script.c_str());
            zor::scanRestart(io);
            while (zor::nextToken() != 0) ++tokens;
            zor::scanRelease();
            io.closeIn();
        });
    }
    benchmark::DoNotOptimize(tokens);
    reportFigures(state, wall, tests, work.scriptBytes);
}

// The floor of the report format: each test opens the output file, appends its
// block under the output lock and closes it again.
void BM_AppendFloor(benchmark::State& state) {
    const int tests = static_cast<int>(state.range(0));
    const Workload& work = workload(tests);
    if (!work.ready) return state.SkipWithError("workload generator " ZOR_GEN_SCRIPT " is absent");
    const fs::path file = work.dir / "floor_out.txt";
    AdaptIO io;
    WallTime wall;
    for (auto _ : state) {
        fs::remove(file);
        wall.measure([&] {
            for (int test = 0; test < tests; ++test) {
                io.openOut(file.c_str());
                io << work.firstBlock.c_str();
                io.closeOut();
            }
        });
    }
    reportFigures(state, wall, tests, work.scriptBytes);
}

}  // namespace

// Peak memory is the process's so far: the cheap cases run first, and the
// run's own figure shows in BM_ParseLoop, N = 10,000 and then 100,000.
BENCHMARK(BM_AppendFloor)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScanOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ParseOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ParseLoop)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
