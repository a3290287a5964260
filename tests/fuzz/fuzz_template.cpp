// A random store and form, then any bytes as the report template: the report
// must always be written, whatever the markers, blocks and asterisks meet.
// The input starts with the length of its store part (two bytes, low byte
// first); the store is drawn from that part, the template is the rest. The
// store holds what a protocol file can bring: any readings or location
// records, form texts, wavelength table, location names and limit sets.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/fixed_text.h"
#include "core/instrument_kind.h"
#include "fuzz_support.h"
#include "report/template_engine.h"

namespace {

constexpr std::size_t MAX_FUZZED_RECORDS = 320;  // past the 256 wavelength slots
constexpr std::uint32_t WAVELENGTHS[] = {1310, 1490, 1550, 850, 1300, 1625};
// Characters the markers, the numbers and HTML give a meaning to.
constexpr std::u16string_view TELLING_UNITS = u"<>&\"'*$%#;:.,+-eE0123456789 \t\r\n\\";

template <typename T>
T smallOrAny(FuzzedDataProvider& input, T largestSmall) {
    return input.ConsumeBool() ? input.ConsumeIntegralInRange<T>(0, largestSmall) : input.ConsumeIntegral<T>();
}

double anyValue(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 4)) {
    case 0: return input.ConsumeIntegralInRange(-9999, 9999) / 100.0;
    case 1: return NOT_SET;
    case 2: return -NOT_SET;
    case 3: return std::bit_cast<double>(input.ConsumeIntegral<std::uint64_t>());  // NaN, infinities
    default: return input.ConsumeFloatingPoint<double>();
    }
}

std::uint32_t anyWavelength(FuzzedDataProvider& input) {
    return input.ConsumeBool() ? input.PickValueInArray(WAVELENGTHS) : input.ConsumeIntegral<std::uint32_t>();
}

std::u16string anyText(FuzzedDataProvider& input, std::size_t maxUnits) {
    std::u16string text(input.ConsumeIntegralInRange<std::size_t>(0, maxUnits), u'\0');
    for (char16_t& unit : text) {
        unit = input.ConsumeBool() ? TELLING_UNITS[input.ConsumeIntegralInRange<std::size_t>(0, TELLING_UNITS.size() - 1)]
                                   : input.ConsumeIntegral<char16_t>();
    }
    return text;
}

// A slot as a file may hold it: up to full, without a terminator.
template <std::size_t N>
void fillSlot(FuzzedDataProvider& input, char16_t (&slot)[N]) {
    const std::u16string text = anyText(input, N);
    std::fill(std::begin(slot), std::end(slot), u'\0');
    std::copy(text.begin(), text.end(), slot);
}

void fillForm(FuzzedDataProvider& input, ProtocolForm& form) {
    fillSlot(input, form.date);
    fillSlot(input, form.measuredBy);
    fillSlot(input, form.organisation);
    fillSlot(input, form.route);
    fillSlot(input, form.section);
    fillSlot(input, form.endA);
    fillSlot(input, form.endB);
    fillSlot(input, form.instrument);
    fillSlot(input, form.fibreLength);
    fillSlot(input, form.spliceCount);
    fillSlot(input, form.spliceLimit);
    fillSlot(input, form.connectorCount);
    fillSlot(input, form.connectorLimit);
    fillSlot(input, form.splitterCount);
    fillSlot(input, form.splitterLimit);
}

void fillReading(FuzzedDataProvider& input, ReadingRecord& reading, std::uint32_t count) {
    reading.value = anyValue(input);
    reading.number = smallOrAny<std::uint32_t>(input, 20);
    reading.subNumber = smallOrAny<std::uint32_t>(input, 20);
    reading.wavelength = anyWavelength(input);
    reading.order = smallOrAny<std::uint32_t>(input, count + 1);
    reading.state = smallOrAny<std::uint32_t>(input, STATE_B_TO_A);
}

void fillLocationRecord(FuzzedDataProvider& input, LocationRecord& record) {
    record.olt = smallOrAny<std::uint32_t>(input, 10);
    record.ont = smallOrAny<std::uint32_t>(input, 10);
    record.location = smallOrAny<std::uint32_t>(input, LOCATION_NAME_COUNT + 1);
    for (double& power : record.power) power = anyValue(input);
    const std::string units = input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(0, sizeof record.units));
    std::copy(units.begin(), units.end(), record.units);
    for (std::int32_t& grade : record.grade) grade = smallOrAny<std::int32_t>(input, GRADE_NOT_GRADED + 1);
    record.limitSet = smallOrAny<std::uint32_t>(input, LIMIT_SETS + 1);
    record.selected = smallOrAny<std::int32_t>(input, 2);
    record.reportMark = smallOrAny<std::int32_t>(input, 2);
}

void fillWavelengthTable(FuzzedDataProvider& input, WavelengthTable& table) {
    const std::size_t used = input.ConsumeIntegralInRange<std::size_t>(0, WAVELENGTH_SLOTS);
    for (std::size_t i = 0; i < used; ++i) {
        table[i].wavelength = static_cast<std::int32_t>(anyWavelength(input));
        table[i].dbPerKm = anyValue(input);
    }
}

void fillStore(FuzzedDataProvider& input, MeasurementStore& store) {
    resetStore(store);
    clearWavelengthTable(store);
    store.locationNames = {};
    const bool zd615 = input.ConsumeBool();
    store.recordCount = input.ConsumeIntegralInRange<std::uint32_t>(0, MAX_FUZZED_RECORDS);
    for (std::uint32_t i = 0; i < store.recordCount; ++i) {
        if (zd615) {
            fillLocationRecord(input, store.locationRecords[i]);
        } else {
            fillReading(input, store.readings[i], store.recordCount);
        }
    }
    fillForm(input, store.protocolForm);
    fillWavelengthTable(input, store.wavelengthTable);
    for (unsigned location = 1; location <= LOCATION_NAME_COUNT; ++location) {
        setLocationName(store.locationNames, location, anyText(input, LOCATION_NAME_MAX + 4));
    }
    const std::string limitSets = input.ConsumeBytesAsString(sizeof store.activeLimitSets);
    std::memcpy(store.activeLimitSets.data(), limitSets.data(), limitSets.size());
    for (std::int32_t& evaluate : store.evaluateWavelength) evaluate = smallOrAny<std::int32_t>(input, 1);
    settleInstrumentKind(store, zd615, slotText(store.protocolForm.instrument));
}

// The language texts stay fixed: the language target fuzzes their file.
MeasurementStore& reportStore() {
    static MeasurementStore& store = [] () -> MeasurementStore& {
        MeasurementStore& made = fuzzStore();
        for (std::size_t n = 0; n < LANGUAGE_ENTRIES; ++n) {
            made.language.entries[n] = u"T" + std::u16string(1, static_cast<char16_t>(u'0' + n % 10));
        }
        return made;
    }();
    return store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path templateFile = scratchFile(".htm");
    static const std::filesystem::path reportFile = scratchFile(".html");
    if (size < 2) return 0;
    const std::size_t storePart = std::min<std::size_t>(size - 2, data[0] | data[1] << 8);
    MeasurementStore& store = reportStore();
    FuzzedDataProvider input(data + 2, storePart);
    fillStore(input, store);
    writeBytes(templateFile, data + 2 + storePart, size - 2 - storePart);
    require(generateReportTo(store, templateFile, reportFile) == ReportStatus::Written);
    return 0;
}
