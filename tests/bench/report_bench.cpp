// Report generation at the store's full capacity: 8192 selected loss
// readings, and 8192 selected ZD615 records, with the verdict summaries and
// loss charts.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include "core/fixed_text.h"
#include "core/measurement_store.h"
#include "core/number_text.h"
#include "report/template_engine.h"

namespace {

constexpr std::u16string_view LOSS_TEMPLATE =
    u"\uFEFF<!DOCTYPE html><html><head><meta charset=\"utf-16\"><title>**TRACE**</title></head>"
    u"<body><h1>Loss test report</h1>**LOSSSUMMARY**<table><tr><th>Date</th><td>**DATE**</td>"
    u"<th>Measured by</th><td>**OPERATOR**</td></tr><tr><th>Route</th><td>**TRACE**</td>"
    u"<th>Section</th><td>**SECTION**</td></tr><tr><th>Fibre length</th><td>**THREADLEN** m</td>"
    u"<th>Splices</th><td>**WELDNUM** x **WELDLIMIT** dB</td></tr></table>\n"
    u"<table><thead><tr><th rowspan=\"2\">Fibre</th>"
    u"**ADDWAVEBEG1**<th colspan=\"3\">**TWAVELEN** nm</th>**ADDWAVEEND1**"
    u"<th rowspan=\"2\">Result</th></tr><tr>"
    u"**ADDWAVEBEG2**<th>A&rarr;B</th><th>B&rarr;A</th><th>Avg</th>**ADDWAVEEND2**</tr></thead>\n"
    u"**ADDWAVEBEG3**<td>**VALAB**</td><td>**VALBA**</td><td class=\"avg\">**VALAVE**</td>"
    u"**ADDWAVEEND3**"
    u"**VALLINEBEG**<tr><td>**THREAD**</td>**ADDPARAM**<td>**REMARK**</td></tr>\n**VALLINEEND**"
    u"**STATPARAMBEG**<td>**PARAB**</td><td>**PARBA**</td><td>**PARAVE**</td>**STATPARAMEND**"
    u"**STATLINEBEG1**<tr><th>Mean</th>**ADDSTATPARAM1**<td></td></tr>**STATLINEEND1**"
    u"**STATLINEBEG2**<tr><th>Max</th>**ADDSTATPARAM2**<td></td></tr>**STATLINEEND2**"
    u"**STATLINEBEG3**<tr><th>Min</th>**ADDSTATPARAM3**<td></td></tr>**STATLINEEND3**</table>\n"
    u"**LOSSCHART**\n"
    u"<table>**LOSSLINEBEG**<tr><td>**SLWAVELEN** nm</td><td>**LOSS** dB/km</td>"
    u"<td>**LOSSLIMIT** dB</td></tr>\n**LOSSLINEEND**</table></body></html>\n";

constexpr std::u16string_view ZD615_TEMPLATE =
    u"\uFEFF<!DOCTYPE html><html><head><meta charset=\"utf-16\"><title>**TRACE**</title></head>"
    u"<body><h1>PON power report</h1><p>**DATE**, **OPERATOR**, **INSTRUMENT**</p>\n"
    u"**ZDSUMMARY**\n"
    u"**ZD615_VAL_TABLE_TOP_BEG**<h2>OLT **OLT_VAL** / ONT **ONT_VAL**: **RESSTATE**</h2>"
    u"<table><tr><th>Location</th><th>Limit set</th><th>1310 nm [**UNITS**]</th><th></th>"
    u"<th>1490 nm</th><th></th><th>1550 nm</th><th></th></tr>\n**ZD615_VAL_TABLE_TOP_END**"
    u"**ZD615_VAL_TABLE_LOC_BEG**<tr><td>**LOC_VAL**</td><td>**LIMSET_VAL**</td>"
    u"<td>**VAL1310**</td><td>**RESULT1310**</td><td>**VAL1490**</td><td>**RESULT1490**</td>"
    u"<td>**VAL1550**</td><td>**RESULT1550**</td></tr>\n**ZD615_VAL_TABLE_LOC_END**"
    u"**ZD615_VAL_TABLE_BOT_BEG**</table>\n**ZD615_VAL_TABLE_BOT_END**"
    u"**ZD615_LIM_TABLE_TOP_BEG**<h2>Limit sets</h2><table>**ZD615_LIM_TABLE_TOP_END**"
    u"**ZD615_LIM_TABLE_VAL_BEG**<tr><td>**LIM_NUM**</td><td>**PASS1310_VAL**</td>"
    u"<td>**WARN1310_VAL**</td><td>**FAIL1310_VAL**</td><td>**PASS1490_VAL**</td>"
    u"<td>**WARN1490_VAL**</td><td>**FAIL1490_VAL**</td><td>**PASS1550_VAL**</td>"
    u"<td>**WARN1550_VAL**</td><td>**FAIL1550_VAL**</td></tr>\n**ZD615_LIM_TABLE_VAL_END**"
    u"**ZD615_LIM_TABLE_BOT_BEG**</table>\n**ZD615_LIM_TABLE_BOT_END**</body></html>\n";

class BenchFolder {
public:
    BenchFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("kalivera_report_bench_" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~BenchFolder() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }

    std::filesystem::path writeTemplate(const char* name, std::u16string_view text) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(text.data()),
                   static_cast<std::streamsize>(text.size() * sizeof(char16_t)));
        return file;
    }

private:
    std::filesystem::path path_;
};

void fillLanguage(MeasurementStore& store) {
    for (std::size_t number = 0; number < LANGUAGE_ENTRIES; ++number) {
        store.language.entries[number] = asciiToU16(std::string("Text ").append(std::to_string(number)));
    }
}

void fillForm(MeasurementStore& store) {
    ProtocolForm& form = store.protocolForm;
    setSlotText(form.date, u"12.03.2024");
    setSlotText(form.measuredBy, u"J. Novák & syn");
    setSlotText(form.route, u"Praha – Brno <úsek 7>");
    setSlotText(form.fibreLength, u"2500");
    setSlotText(form.spliceCount, u"2");
    setSlotText(form.spliceLimit, u"0.1");
    setSlotText(form.connectorCount, u"4");
    setSlotText(form.connectorLimit, u"0.5");
}

// `fibres` fibres measured both ways at each wavelength, stored as an
// instrument lists them: wavelength by wavelength, direction by direction.
void fillLossReadings(MeasurementStore& store, std::uint32_t fibres,
                      std::initializer_list<std::uint32_t> wavelengths, bool twoWay) {
    store.recordCount = 0;
    for (std::uint32_t wavelength : wavelengths) {
        registerWavelength(store, wavelength);
        setDbPerKm(store, wavelength, wavelength < 1400 ? 0.36 : 0.22);
        for (std::uint32_t state : {STATE_A_TO_B, STATE_B_TO_A}) {
            if (state == STATE_B_TO_A && !twoWay) continue;
            for (std::uint32_t fibre = 1; fibre <= fibres; ++fibre) {
                const std::uint32_t index = store.recordCount++;
                const double value = 2.5 + (index % 97) * 0.01;
                store.readings[index] = ReadingRecord{value, index % 256, 1, wavelength, fibre, state, 0};
            }
        }
    }
    store.instrumentKind = KIND_LOSS_METER;
}

// 8192 selected records spread over `groups` OLT/ONT pairs, the pairs
// interleaved in storage order.
void fillLocationRecords(MeasurementStore& store, std::uint32_t groups) {
    for (std::uint32_t set = 1; set < LIMIT_SETS; ++set) {
        std::memcpy(store.activeLimitSets[set].name, "BENCH SET   ", 12);
        store.activeLimitSets[set].thresholds[1] = static_cast<std::uint8_t>(set);
    }
    for (std::uint32_t index = 0; index < MAX_RECORDS; ++index) {
        LocationRecord& record = store.locationRecords[index];
        record = LocationRecord{};
        record.olt = 1 + (index % groups) / 64;
        record.ont = 1 + (index % groups) % 64;
        record.location = index % 10;
        record.power[0] = -20.0 - (index % 50) * 0.1;
        record.power[1] = -18.5;
        record.power[2] = index % 7 == 0 ? NOT_SET : -19.25;
        std::strcpy(record.units, "dBm");
        for (int c = 0; c < 3; ++c) record.grade[c] = static_cast<std::int32_t>((index + c) % 5);
        record.limitSet = index % 16;
        record.selected = 1;
    }
    store.recordCount = MAX_RECORDS;
    store.instrumentKind = KIND_ZD615;
}

void runReport(benchmark::State& state, MeasurementStore& store,
               const std::filesystem::path& templateFile, const std::filesystem::path& reportFile) {
    for (auto _ : state) {
        if (generateReportTo(store, templateFile, reportFile) != ReportStatus::Written) {
            state.SkipWithError("report not written");
            return;
        }
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(reportFile));
}

void BM_LossReport(benchmark::State& state) {
    const BenchFolder folder;
    const auto store = makeStore();
    fillLanguage(*store);
    fillForm(*store);
    const bool twoWay = state.range(0) != 0;
    if (twoWay) {
        fillLossReadings(*store, 2048, {1310, 1550}, true);  // 2048 x 2 x 2 = 8192
    } else {
        fillLossReadings(*store, 8192, {1310}, false);
    }
    runReport(state, *store, folder.writeTemplate("loss.htm", LOSS_TEMPLATE),
              folder.path() / "loss.opr.html");
}
BENCHMARK(BM_LossReport)->Arg(1)->Arg(0)->ArgName("twoWay")->Unit(benchmark::kMillisecond);

void BM_Zd615Report(benchmark::State& state) {
    const BenchFolder folder;
    const auto store = makeStore();
    fillLanguage(*store);
    fillForm(*store);
    fillLocationRecords(*store, static_cast<std::uint32_t>(state.range(0)));
    runReport(state, *store, folder.writeTemplate("zd615.htm", ZD615_TEMPLATE),
              folder.path() / "zd615.opr.html");
}
BENCHMARK(BM_Zd615Report)->Arg(1)->Arg(1000)->Arg(8192)->ArgName("groups")
    ->Unit(benchmark::kMillisecond);

}  // namespace
