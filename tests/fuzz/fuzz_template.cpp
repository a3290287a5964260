// Any bytes as a report template, over a store holding selected loss
// readings and ticked ZD615 records: the report must always be written,
// whatever the markers, blocks and asterisks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "core/measurement_store.h"
#include "report/template_engine.h"

namespace {

std::filesystem::path scratchFile(const char* suffix) {
    const std::filesystem::path folder =
        std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    return folder / ("kalivera-fuzz-" + std::to_string(::getpid()) + suffix);
}

void fillStore(MeasurementStore& store) {
    for (std::uint32_t i = 0; i < 12; ++i) {
        ReadingRecord& reading = store.readings[i];
        reading.value = 1.5 + 0.25 * i;
        reading.number = i % 4 + 1;
        reading.subNumber = i / 4 + 1;
        reading.wavelength = i % 2 ? 1550 : 1310;
        reading.state = STATE_A_TO_B + (i / 2) % 2;
        reading.order = i / 4 + 1;
        LocationRecord& record = store.locationRecords[i];
        record.olt = i % 3;
        record.ont = i % 2;
        record.location = i;
        record.power[0] = -18.5;
        record.power[1] = NOT_SET;
        record.power[2] = -21.25;
        record.grade[0] = static_cast<std::int32_t>(i % 5);
        record.limitSet = i + 5;  // past the usable sets on purpose
        record.selected = i % 3 != 0;
    }
    store.recordCount = 12;
    setDbPerKm(store, 1310, 0.35);
    registerWavelength(store, 1550);
    for (std::size_t n = 0; n < LANGUAGE_ENTRIES; ++n) {
        store.language.entries[n] = u"T" + std::u16string(1, static_cast<char16_t>(u'0' + n % 10));
    }
}

MeasurementStore& fuzzStore(bool zd615) {
    static MeasurementStore* store = [] {
        MeasurementStore* made = makeStore().release();
        registerWavelength(*made, 1310);
        fillStore(*made);
        return made;
    }();
    store->instrumentKind = zd615 ? KIND_ZD615 : KIND_LOSS_METER;
    return *store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const std::filesystem::path templateFile = scratchFile(".htm");
    static const std::filesystem::path reportFile = scratchFile(".html");
    {
        std::ofstream file(templateFile, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    MeasurementStore& store = fuzzStore(data[0] & 1);
    if (generateReportTo(store, templateFile, reportFile) != ReportStatus::Written) std::abort();
    return 0;
}
