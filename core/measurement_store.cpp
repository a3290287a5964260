#include "core/measurement_store.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/fixed_text.h"
#include "core/number_text.h"

namespace {

constexpr std::int32_t FREE_SLOT = -1;
constexpr double RUNNING_MAX_START = -NOT_SET;

template <typename T>
void zeroBytes(T& object) {
    std::memset(static_cast<void*>(&object), 0, sizeof object);
}

// Number of used slots: they run from the first up to the first free one.
std::size_t usedWavelengthSlots(const WavelengthTable& table) {
    const auto end = std::find_if(table.begin(), table.end(), [](const WavelengthEntry& entry) {
        return entry.wavelength == FREE_SLOT;
    });
    return static_cast<std::size_t>(end - table.begin());
}

// The slot holding the wavelength among all 256, used or not.
template <typename Table>
auto findSlot(Table& table, std::uint32_t wavelength) {
    return std::find_if(table.begin(), table.end(), [wavelength](const WavelengthEntry& entry) {
        return static_cast<std::uint32_t>(entry.wavelength) == wavelength;
    });
}

bool summaryHolds(const WavelengthSummary& summary, std::uint32_t wavelength) {
    const auto end = summary.entries.begin() + summary.wavelengthCount;
    return std::any_of(summary.entries.begin(), end, [wavelength](const WavelengthSummaryEntry& entry) {
        return entry.wavelength == wavelength;
    });
}

void resetSummary(WavelengthSummary& summary) {
    zeroBytes(summary);
    for (auto& entry : summary.entries) {
        entry.max1 = entry.max2 = entry.max3 = RUNNING_MAX_START;
        entry.min1 = entry.min2 = entry.min3 = NOT_SET;
    }
}

// Counts the reading under its wavelength, creating the entry on first sight;
// wavelengths beyond the 256th distinct one are ignored.
void addToSummary(WavelengthSummary& summary, const ReadingRecord& reading) {
    const auto begin = summary.entries.begin();
    const auto end = begin + summary.wavelengthCount;
    const auto found = std::find_if(begin, end, [&reading](const WavelengthSummaryEntry& entry) {
        return entry.wavelength == reading.wavelength;
    });
    if (found != end) {
        found->maxOrder = std::max(found->maxOrder, reading.order);
    } else if (summary.wavelengthCount < WAVELENGTH_SLOTS) {
        WavelengthSummaryEntry& entry = summary.entries[summary.wavelengthCount++];
        entry.wavelength = reading.wavelength;
        entry.maxOrder = reading.order;
    }
    if (reading.state == STATE_A_TO_B || reading.state == STATE_B_TO_A) {
        summary.maxSelectedOrder = std::max(summary.maxSelectedOrder, reading.order);
    }
}

// Repeated passes over adjacent pairs until one makes no swap.
template <typename Iterator, typename Key>
void bubbleSort(Iterator begin, Iterator end, Key key) {
    if (begin == end) return;
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (Iterator it = begin; std::next(it) != end; ++it) {
            if (key(*it) > key(*std::next(it))) {
                std::swap(*it, *std::next(it));
                swapped = true;
            }
        }
    }
}

std::size_t locationSlotStart(unsigned location) {
    return 2 + LOCATION_NAME_SLOT_UNITS * (location - 1);
}

bool isLocationNumber(unsigned location) {
    return location >= 1 && location <= LOCATION_NAME_COUNT;
}

}  // namespace

std::unique_ptr<MeasurementStore> makeStore() {
    // Value-initialised, so every record starts as zero bytes. The wavelength
    // table is cleared as well: all-zero slots would read as 256 used slots.
    auto store = std::make_unique<MeasurementStore>();
    resetStore(*store);
    clearWavelengthTable(*store);
    return store;
}

void resetStore(MeasurementStore& store) {
    store.evaluateWavelength = {1, 1, 1};
    store.instrumentKind = KIND_NONE;
    zeroBytes(store.instrumentId);
    zeroBytes(store.readings);
    zeroBytes(store.locationRecords);
    zeroBytes(store.rawText);
    zeroBytes(store.activeLimitSets);
    zeroBytes(store.editedLimitSets);
    store.recordCount = 0;
    store.rawTextLength = 0;
}

bool hasData(const MeasurementStore& store) { return store.recordCount != 0; }

void rebuildWavelengthSummary(MeasurementStore& store) {
    WavelengthSummary& summary = store.wavelengthSummary;
    resetSummary(summary);
    const std::size_t count = std::min<std::size_t>(store.recordCount, MAX_RECORDS);
    for (std::size_t i = 0; i < count && store.readings[i].state != STATE_EMPTY; ++i) {
        addToSummary(summary, store.readings[i]);
    }
    bubbleSort(summary.entries.begin(), summary.entries.begin() + summary.wavelengthCount,
               [](const WavelengthSummaryEntry& entry) { return entry.wavelength; });
}

void registerWavelength(MeasurementStore& store, std::uint32_t wavelength) {
    WavelengthTable& table = store.wavelengthTable;
    if (findSlot(table, wavelength) != table.end()) return;
    const auto free = std::find_if(table.begin(), table.end(), [](const WavelengthEntry& entry) {
        return entry.wavelength == FREE_SLOT;
    });
    if (free == table.end()) return;
    free->wavelength = static_cast<std::int32_t>(wavelength);
    free->dbPerKm = NOT_SET;
}

void registerSummaryWavelengths(MeasurementStore& store) {
    const WavelengthSummary& summary = store.wavelengthSummary;
    for (std::uint32_t i = 0; i < summary.wavelengthCount && i < WAVELENGTH_SLOTS; ++i) {
        registerWavelength(store, summary.entries[i].wavelength);
    }
}

double findDbPerKm(const MeasurementStore& store, std::uint32_t wavelength) {
    const auto slot = findSlot(store.wavelengthTable, wavelength);
    return slot != store.wavelengthTable.end() ? slot->dbPerKm : NOT_SET;
}

void setDbPerKm(MeasurementStore& store, std::uint32_t wavelength, double value) {
    const auto slot = findSlot(store.wavelengthTable, wavelength);
    if (slot != store.wavelengthTable.end()) slot->dbPerKm = value;
}

void clearWavelengthTable(MeasurementStore& store) {
    for (auto& entry : store.wavelengthTable) {
        entry.wavelength = FREE_SLOT;
        entry.dbPerKm = 0.0;
    }
}

void removeWavelength(MeasurementStore& store, std::uint32_t wavelength) {
    WavelengthTable& table = store.wavelengthTable;
    const auto used = table.begin() + usedWavelengthSlots(table);
    const auto found = std::find_if(table.begin(), used, [wavelength](const WavelengthEntry& entry) {
        return static_cast<std::uint32_t>(entry.wavelength) == wavelength;
    });
    if (found == used) return;
    // Moving the free slot that ends the table down with the rest keeps the
    // table terminated; the last slot is freed in any case.
    const auto moveEnd = used == table.end() ? table.end() : std::next(used);
    std::move(std::next(found), moveEnd, found);
    table.back().wavelength = FREE_SLOT;
}

void pruneWavelengthTable(MeasurementStore& store) {
    WavelengthTable& table = store.wavelengthTable;
    std::size_t at = 0;
    while (at < WAVELENGTH_SLOTS && table[at].wavelength != FREE_SLOT) {
        const auto wavelength = static_cast<std::uint32_t>(table[at].wavelength);
        if (summaryHolds(store.wavelengthSummary, wavelength)) {
            ++at;
        } else {
            removeWavelength(store, wavelength);
        }
    }
    sortWavelengthTable(store);
}

void sortWavelengthTable(MeasurementStore& store) {
    WavelengthTable& table = store.wavelengthTable;
    bubbleSort(table.begin(), table.begin() + usedWavelengthSlots(table),
               [](const WavelengthEntry& entry) { return static_cast<std::uint32_t>(entry.wavelength); });
}

void computeBudget(MeasurementStore& store) {
    const ProtocolForm& form = store.protocolForm;
    auto number = [](const auto& slot) { return parseDecimal(slotText(slot)); };
    const double splices = number(form.spliceCount) * number(form.spliceLimit);
    const double splitters = number(form.splitterCount) * number(form.splitterLimit);
    const double connectors = number(form.connectorCount) * number(form.connectorLimit);
    store.fibreLengthValue = number(form.fibreLength);
    // Summed in the order the loss report writes it, so both agree to the last bit.
    store.elementLossBudget = splices + (splitters + connectors);
}

std::u16string_view locationName(const LocationNames& names, unsigned location) {
    if (!isLocationNumber(location)) return {};
    const char16_t* slot = names.units + locationSlotStart(location);
    const char16_t* end = std::find(slot, slot + LOCATION_NAME_MAX, u'\0');
    return {slot, static_cast<std::size_t>(end - slot)};
}

void setLocationName(LocationNames& names, unsigned location, std::u16string_view name) {
    if (!isLocationNumber(location)) return;
    char16_t* slot = names.units + locationSlotStart(location);
    const std::u16string_view kept = cutText(name, LOCATION_NAME_MAX);
    std::copy(kept.begin(), kept.end(), slot);
    std::fill(slot + kept.size(), slot + LOCATION_NAME_MAX + 1, u'\0');
}
