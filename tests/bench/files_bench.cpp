// Times of the file work on the largest data: parsing a full instrument text
// and saving and opening a protocol with 8192 records, each version.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/protocol_file.h"
#include "instrument/instrument_text.h"

namespace {

// 8192 data lines padded with line ends to the largest accepted text.
std::string maximalText(bool zd615) {
    std::string text = zd615 ? "ZD615 71234\r\n" : "OLM55 0042137\r\n";
    char line[64];
    for (std::size_t i = 0; i < MAX_RECORDS; ++i) {
        const unsigned fraction = static_cast<unsigned>(i % 100);
        if (zd615) {
            // Short lines: 8192 full ZD615 lines would not fit the buffer.
            std::snprintf(line, sizeof line, "%zu %zu %zu -%u -%u ---- dB\n", i % 4 + 1,
                          i / 4 % 8 + 1, i % 9, 18 + fraction % 9, 5 + fraction % 5);
        } else {
            std::snprintf(line, sizeof line, "%zu %zu %u -%u.%02u 0\r\n", i / 256 % 2 + 1, i % 256,
                          i % 2 ? 1550u : 1310u, 2 + fraction % 3, fraction);
        }
        text += line;
    }
    text.resize(MAX_INSTRUMENT_TEXT_LENGTH, '\n');  // never cuts: the lines fit
    return text;
}

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
