// Records against std::map: appending (record made, filled and destroyed) and
// looking up N elements with names of the shape scripts produce, and copying
// and extracting a whole record.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"

namespace {

using Value = std::variant<int, double, std::string>;
using StdRecord = std::map<std::string, Value>;

const char* const members[] = {"name", "pos.x", "pos.y", "value", "status", "limits.low"};

// Names such as "test[12].pos.x": a list item and a member, 10 to 25 characters.
std::vector<std::string> typicalNames(int count) {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        names.push_back("test[" + std::to_string(n / 6) + "]." + members[n % 6]);
    return names;
}

std::vector<std::string> shuffled(std::vector<std::string> names) {
    std::shuffle(names.begin(), names.end(), std::mt19937(42));
    return names;
}

void fill(DataMap& record, const std::vector<std::string>& names) {
    for (std::size_t n = 0; n < names.size(); ++n) {
        const char* name = names[n].c_str();
        switch (n % 3) {
            case 0:
                record.appElem(new StoreEl(name, static_cast<int>(n)));
                break;
            case 1:
                record.appElem(new StoreEl(name, 0.5 * static_cast<double>(n)));
                break;
            default:
                record.appElem(new StoreEl(name, "a short text value"));
        }
    }
}

void fill(StdRecord& record, const std::vector<std::string>& names) {
    for (std::size_t n = 0; n < names.size(); ++n) {
        switch (n % 3) {
            case 0:
                record.emplace(names[n], static_cast<int>(n));
                break;
            case 1:
                record.emplace(names[n], 0.5 * static_cast<double>(n));
                break;
            default:
                record.emplace(names[n], std::string("a short text value"));
        }
    }
}

void BM_DataMapAppend(benchmark::State& state) {
    auto names = typicalNames(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DataMap record;
        fill(record, names);
        benchmark::DoNotOptimize(record.getData(nullptr));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same with another record alive, as in a run (globals, caches): the
// element pool keeps its blocks instead of returning them when the record goes.
void BM_DataMapAppendWarmPool(benchmark::State& state) {
    auto names = typicalNames(static_cast<int>(state.range(0)));
    DataMap resident;
    resident["resident"] = 1;
    for (auto _ : state) {
        DataMap record;
        fill(record, names);
        benchmark::DoNotOptimize(record.getData(nullptr));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_StdMapAppend(benchmark::State& state) {
    auto names = typicalNames(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        StdRecord record;
        fill(record, names);
        benchmark::DoNotOptimize(record.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DataMapLookUp(benchmark::State& state) {
    auto names = typicalNames(static_cast<int>(state.range(0)));
    DataMap record;
    fill(record, names);
    auto wanted = shuffled(names);
    for (auto _ : state) {
        for (const std::string& name : wanted)
            benchmark::DoNotOptimize(record.getData(name.c_str()));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The keys are made before timing, so the map pays no string construction.
void BM_StdMapLookUp(benchmark::State& state) {
    auto names = typicalNames(static_cast<int>(state.range(0)));
    StdRecord record;
    fill(record, names);
    auto wanted = shuffled(names);
    for (auto _ : state) {
        for (const std::string& name : wanted) benchmark::DoNotOptimize(record.find(name));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The way scripts read: a value reference per access, then a conversion.
void BM_DataMapReadThroughReference(benchmark::State& state) {
    auto names = typicalNames(static_cast<int>(state.range(0)));
    DataMap record;
    fill(record, names);
    auto wanted = shuffled(names);
    for (auto _ : state) {
        for (const std::string& name : wanted)
            benchmark::DoNotOptimize(static_cast<int>(record[name.c_str()]));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

DataMap& thousandElements() {
    static DataMap record;
    if (!record.getData(nullptr)) {
        auto names = typicalNames(1000);
        for (std::string& name : names) name = "rec." + name;
        fill(record, names);
    }
    return record;
}

void BM_RecordDeepCopy(benchmark::State& state) {
    DataMap& source = thousandElements();
    for (auto _ : state) {
        DataMap copy;
        copy = source;
        benchmark::DoNotOptimize(copy.getData(nullptr));
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_RecordExtraction(benchmark::State& state) {
    DataMap& source = thousandElements();
    for (auto _ : state) {
        DataMap part(source["rec"]);
        benchmark::DoNotOptimize(part.getData(nullptr));
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_RecordExtractAndGraft(benchmark::State& state) {
    DataMap& source = thousandElements();
    for (auto _ : state) {
        DataMap target;
        target["copy"] = source["rec"];
        benchmark::DoNotOptimize(target.getData(nullptr));
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}

BENCHMARK(BM_DataMapAppend)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_DataMapAppendWarmPool)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_StdMapAppend)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_DataMapLookUp)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_StdMapLookUp)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_DataMapReadThroughReference)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_RecordDeepCopy);
BENCHMARK(BM_RecordExtraction);
BENCHMARK(BM_RecordExtractAndGraft);

}  // namespace
