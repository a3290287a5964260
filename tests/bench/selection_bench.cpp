// One click of the value selection dialog on a full store: moving half of
// 8192 readings into a direction list and rebuilding the lists it shows.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/measurement_store.h"
#include "selection/value_selection.h"

namespace {

constexpr std::uint32_t NM1310 = 1310;

// Two readings per fibre number, or (the worst case) all under one number.
void fillStore(MeasurementStore& store, bool oneNumber) {
    resetStore(store);
    for (std::uint32_t i = 0; i < MAX_RECORDS; ++i) {
        const std::uint32_t number = oneNumber ? 1 : i / 2 + 1;
        const std::uint32_t subNumber = oneNumber ? i + 1 : i % 2 + 1;
        store.readings[i] = ReadingRecord{0.1 * i, number, subNumber, NM1310, 0, STATE_LOADED, 0};
    }
    store.recordCount = MAX_RECORDS;
}

void clickAddHalf(benchmark::State& state) {
    const auto store = makeStore();
    const bool oneNumber = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        fillStore(*store, oneNumber);
        const std::vector<std::size_t> loaded = selectionListsFor(*store, NM1310).loaded;
        std::vector<std::u16string> firstHalf;
        for (std::size_t item = 0; item < loaded.size() / 2; ++item) {
            firstHalf.push_back(readingNumberText(store->readings[loaded[item]]));
        }
        state.ResumeTiming();
        moveSelectedReadings(*store, NM1310, firstHalf, STATE_LOADED, STATE_A_TO_B);
        const SelectionLists lists = selectionListsFor(*store, NM1310);
        benchmark::DoNotOptimize(lists.aToB.data());
    }
}

}  // namespace

BENCHMARK(clickAddHalf)->Arg(0)->Arg(1)->ArgName("oneNumber")->Unit(benchmark::kMillisecond);
