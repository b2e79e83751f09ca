// Outlining a generated script of about 10 MB: 100,000 tests of one line each,
// their in-data and expected values, with a comment now and then.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "run/Parse.h"
#include "script/ScriptOutline.h"

namespace fs = std::filesystem;

namespace {

constexpr int testCount = 100000;

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string testLine(int test) {
    const std::string n = std::to_string(test);
    const std::string values = "f0 = -" + n + " f1 = " + n + ".125 f2 = \"s" + n + "x\"";
    std::string line = "zortst { " + values + " verify: f0 == -" + n + " f1 == " + n +
                       ".125 f2 != \"s" + n + "\" }";
    if (test % 50 == 0) line += " /* every fiftieth */ // test " + n;
    return line + "\r\n";
}

// Written once per process, removed when it ends.
class GeneratedScript {
public:
    GeneratedScript()
        : path(fs::temp_directory_path() / ("zoroutline-" + std::to_string(getpid()) + ".txt")) {
        std::ofstream out(path, std::ios::binary);
        out << "resultfile \"outline_out.txt\"\r\n{ prefix = \"p\" }\r\n";
        for (int test = 0; test < testCount; ++test) out << testLine(test);
    }
    ~GeneratedScript() {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
    const fs::path path;
};

void BM_OutlineScript(benchmark::State& state) {
    static const GeneratedScript script;
    std::size_t records = 0;
    for (auto _ : state) {
        ScriptOutline outline;
        if (Parse::outlineScript(script.path.c_str(), outline) != 0)
            return state.SkipWithError("the outline reported an error");
        records = outline.records.size();
        benchmark::DoNotOptimize(outline);
    }
    if (records != testCount + 1) return state.SkipWithError("records are missing");
    const double bytes = static_cast<double>(fs::file_size(script.path));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    state.counters["script_MB"] = bytes / 1e6;
    state.counters["peak_MiB"] = static_cast<double>(peakKiB()) / 1024.0;
}

}  // namespace

BENCHMARK(BM_OutlineScript)->Unit(benchmark::kMillisecond)->UseRealTime();
