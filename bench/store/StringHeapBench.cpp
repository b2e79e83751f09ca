// The string heap against malloc/free, with its lock always on, alone and with
// two threads sharing it: the bare heap, and the store's text blocks, which
// put a per-thread cache in front of it. Plus the bare cost of the lock.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <mutex>
#include <vector>

#include "store/SpinLock.h"
#include "store/StringHeap.h"
#include "store/TextBlock.h"

namespace {

constexpr int batch = 1000;

// Sizes of names and values that miss the inline buffers: 40 to 300 bytes.
std::vector<std::size_t> textSizes() {
    std::vector<std::size_t> sizes;
    for (int n = 0; n < batch; ++n) sizes.push_back(static_cast<std::size_t>(40 + (n * 37) % 260));
    return sizes;
}

void BM_HeapPair(benchmark::State& state) {
    auto size = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        void* block = zor::stringHeap().allocate(size);
        benchmark::DoNotOptimize(block);
        zor::stringHeap().release(block);
    }
}

void BM_TextPair(benchmark::State& state) {
    auto size = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        void* block = zor::allocText(size);
        benchmark::DoNotOptimize(block);
        zor::releaseText(block, size);
    }
}

void BM_MallocPair(benchmark::State& state) {
    auto size = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        void* block = std::malloc(size);
        benchmark::DoNotOptimize(block);
        std::free(block);
    }
}

// A record's worth of texts made and then released, as clearing a record does.
void BM_HeapBatch(benchmark::State& state) {
    auto sizes = textSizes();
    std::vector<void*> blocks(sizes.size());
    for (auto _ : state) {
        for (std::size_t n = 0; n < sizes.size(); ++n)
            blocks[n] = zor::stringHeap().allocate(sizes[n]);
        for (void* block : blocks) zor::stringHeap().release(block);
    }
    state.SetItemsProcessed(state.iterations() * batch);
}

void BM_TextBatch(benchmark::State& state) {
    auto sizes = textSizes();
    std::vector<void*> blocks(sizes.size());
    for (auto _ : state) {
        for (std::size_t n = 0; n < sizes.size(); ++n) blocks[n] = zor::allocText(sizes[n]);
        for (std::size_t n = 0; n < sizes.size(); ++n) zor::releaseText(blocks[n], sizes[n]);
    }
    state.SetItemsProcessed(state.iterations() * batch);
}

void BM_MallocBatch(benchmark::State& state) {
    auto sizes = textSizes();
    std::vector<void*> blocks(sizes.size());
    for (auto _ : state) {
        for (std::size_t n = 0; n < sizes.size(); ++n) blocks[n] = std::malloc(sizes[n]);
        for (void* block : blocks) std::free(block);
    }
    state.SetItemsProcessed(state.iterations() * batch);
}

void BM_SpinLockPair(benchmark::State& state) {
    static zor::SpinLock lock;
    for (auto _ : state) {
        lock.lock();
        benchmark::ClobberMemory();
        lock.unlock();
    }
}

void BM_MutexPair(benchmark::State& state) {
    static std::mutex lock;
    for (auto _ : state) {
        lock.lock();
        benchmark::ClobberMemory();
        lock.unlock();
    }
}

BENCHMARK(BM_HeapPair)->Arg(8)->Arg(40)->Arg(300)->ThreadRange(1, 2);
BENCHMARK(BM_TextPair)->Arg(8)->Arg(40)->Arg(300)->ThreadRange(1, 2);
BENCHMARK(BM_MallocPair)->Arg(8)->Arg(40)->Arg(300)->ThreadRange(1, 2);
BENCHMARK(BM_HeapBatch)->ThreadRange(1, 2);
BENCHMARK(BM_TextBatch)->ThreadRange(1, 2);
BENCHMARK(BM_MallocBatch)->ThreadRange(1, 2);
BENCHMARK(BM_SpinLockPair);
BENCHMARK(BM_MutexPair);

}  // namespace
