// What a trace scope costs native code: an untraced scope (tracing off) next to
// one uncontended mutex, the cheapest lock a scope could take, and traced
// scopes, outermost and nested, with and without writing their block.
#include <benchmark/benchmark.h>

#include <mutex>

#include "output/ParseOut.h"
#include "run/Parse.h"

namespace {

// Puts the trace settings and the output file in place for one benchmark and
// back to "off" afterwards.
struct TraceSettings {
    TraceSettings(int depth, const char* root, const char* outFile) {
        ParseOut::setTraceDepth(depth);
        ParseOut::setTraceRoot(root);
        Parse::setLastOutFile(outFile);
    }
    ~TraceSettings() {
        ParseOut::setTraceDepth(0);
        ParseOut::setTraceRoot("");
        Parse::setLastOutFile("");
    }
};

void UncontendedMutex(benchmark::State& state) {
    std::mutex lock;
    for (auto _ : state) {
        lock.lock();
        lock.unlock();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(UncontendedMutex);

void UntracedScopeDepthZero(benchmark::State& state) {
    TraceSettings off(0, "", "");
    for (auto _ : state) {
        ParseOut scope("scope");
        benchmark::DoNotOptimize(&scope);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(UntracedScopeDepthZero);

// Tracing on, but this scope is not the root: the lock and the table are consulted.
void UntracedScopeOtherRoot(benchmark::State& state) {
    TraceSettings elsewhere(ParseOut::depthUnlimited, "elsewhere", "");
    for (auto _ : state) {
        ParseOut scope("scope");
        benchmark::DoNotOptimize(&scope);
    }
}
BENCHMARK(UntracedScopeOtherRoot);

// An outermost scope whose output file cannot be opened: the record is built,
// linked, looked for a file for and deleted, but nothing is written.
void TracedOutermostScopeNoFile(benchmark::State& state) {
    TraceSettings on(ParseOut::depthUnlimited, "", "");
    for (auto _ : state) {
        ParseOut scope("scope");
        benchmark::DoNotOptimize(&scope);
    }
}
BENCHMARK(TracedOutermostScopeNoFile);

// The same with its block written: the output lock and a file write per scope.
void TracedOutermostScopeWritten(benchmark::State& state) {
    TraceSettings on(ParseOut::depthUnlimited, "", "/dev/null");
    for (auto _ : state) {
        ParseOut scope("scope");
        benchmark::DoNotOptimize(&scope);
    }
}
BENCHMARK(TracedOutermostScopeWritten);

// Scopes nested in an open outermost scope, state.range(0) of them per
// outermost scope (which has no file): the per-scope time is "scope".
void TracedNestedScopes(benchmark::State& state) {
    TraceSettings on(ParseOut::depthUnlimited, "", "");
    const int children = static_cast<int>(state.range(0));
    for (auto _ : state) {
        ParseOut outer("outer");
        for (int i = 0; i < children; ++i) {
            ParseOut scope("scope");
            benchmark::DoNotOptimize(&scope);
        }
    }
    state.counters["scope"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * (children + 1),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(TracedNestedScopes)->Arg(10)->Arg(100);

}  // namespace
