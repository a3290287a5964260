// Times of the file work on the largest data: parsing a full instrument text
// and saving and opening a protocol with 8192 records, each version.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "core/protocol_file.h"
#include "instrument/instrument_text.h"
#include "maximal_text.h"

namespace {

void loadText(MeasurementStore& store, const std::string& text) {
    std::memcpy(store.rawText.data(), text.data(), text.size());
    store.rawTextLength = static_cast<std::uint32_t>(text.size());
}

void parseMaximalText(benchmark::State& state) {
    const bool zd615 = state.range(0) != 0;
    const std::string text = maximalText(zd615);
    auto store = makeStore();
    for (auto _ : state) {
        loadText(*store, text);
        if (!parseInstrumentText(*store, ParseMode::Full).accepted ||
            store->recordCount != MAX_RECORDS) {
            state.SkipWithError("the maximal text was refused");
            break;
        }
    }
    state.SetLabel(zd615 ? "ZD615" : "loss meter");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// A store holding 8192 records of the version's kind and the largest text.
std::unique_ptr<MeasurementStore> maximalStore(bool zd615) {
    auto store = makeStore();
    loadText(*store, maximalText(zd615));
    if (!parseInstrumentText(*store, ParseMode::Full).accepted) return nullptr;
    return store;
}

std::filesystem::path benchFile(bool zd615) {
    return std::filesystem::temp_directory_path() /
           (std::string("kalivera_bench_") + (zd615 ? "zd615" : "lossmeter") + ".opr");
}

void saveProtocol(benchmark::State& state) {
    const bool zd615 = state.range(0) != 0;
    auto store = maximalStore(zd615);
    const auto file = benchFile(zd615);
    for (auto _ : state) {
        if (!store || !writeProtocolFile(*store, file)) {
            state.SkipWithError("the protocol could not be saved");
            break;
        }
    }
    state.SetLabel(zd615 ? "02.10" : "01.10");
    std::filesystem::remove(file);
}

void openProtocol(benchmark::State& state) {
    const bool zd615 = state.range(0) != 0;
    auto saved = maximalStore(zd615);
    const auto file = benchFile(zd615);
    auto store = makeStore();
    if (!saved || !writeProtocolFile(*saved, file)) {
        state.SkipWithError("the protocol could not be saved");
        return;
    }
    for (auto _ : state) {
        if (!readProtocolFile(*store, file) || store->recordCount != MAX_RECORDS) {
            state.SkipWithError("the protocol could not be opened");
            break;
        }
    }
    state.SetLabel(zd615 ? "02.10" : "01.10");
    std::filesystem::remove(file);
}

}  // namespace

BENCHMARK(parseMaximalText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(saveProtocol)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(openProtocol)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
