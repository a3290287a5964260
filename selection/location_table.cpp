#include "selection/location_table.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

#include "core/measurement_store.h"
#include "core/number_text.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "report/value_format.h"

namespace {

// The table shows at most this many characters of a unit text.
constexpr std::size_t UNITS_SHOWN = 15;

// +1 when a's key is smaller, -1 when larger: larger values sort first.
template <typename Key>
int descending(Key a, Key b) {
    if (a == b) return 0;
    return a < b ? 1 : -1;
}

int comparePowers(double a, double b) {
    // A missing value is the largest, whatever a forged file holds beside it.
    if (a == NOT_SET || b == NOT_SET) return descending(a == NOT_SET, b == NOT_SET);
    return descending(a, b);
}

// -1 when a's text sorts first: units ascend. The bytes are compared as
// unsigned up to the first zero, never beyond the field.
int compareUnits(const LocationRecord& a, const LocationRecord& b) {
    for (std::size_t i = 0; i < sizeof a.units; ++i) {
        const auto byteA = static_cast<unsigned char>(a.units[i]);
        const auto byteB = static_cast<unsigned char>(b.units[i]);
        if (byteA != byteB) return byteA < byteB ? -1 : 1;
        if (byteA == 0) break;
    }
    return 0;
}

int compareKeys(const MeasurementStore& store, std::size_t a, std::size_t b, int column) {
    const LocationRecord& first = store.locationRecords[a];
    const LocationRecord& second = store.locationRecords[b];
    switch (column) {
    case 1: return descending(a, b);
    case 2: return descending(first.olt, second.olt);
    case 3: return descending(first.ont, second.ont);
    case 4: return descending(first.location, second.location);
    case 5:
    case 7:
    case 9: {
        const int wavelength = (column - 5) / 2;
        return comparePowers(first.power[wavelength], second.power[wavelength]);
    }
    case 6:
    case 8:
    case 10: {
        const int wavelength = (column - LOCATION_FIRST_GRADE_COLUMN) / 2;
        return descending(first.grade[wavelength], second.grade[wavelength]);
    }
    case 11: return compareUnits(first, second);
    case 12: return descending(first.limitSet, second.limitSet);
    default: return 0;
    }
}

}  // namespace

int headerClickParameter(LocationSortMemory& memory, int column) {
    if (column == memory.lastSortColumn) {
        memory.sortDescendingFlag = !memory.sortDescendingFlag;
    } else {
        memory.lastSortColumn = column;
        memory.sortDescendingFlag = true;
    }
    return memory.sortDescendingFlag ? column + 1 : -(column + 1);
}

int compareLocationRows(const MeasurementStore& store, std::size_t a, std::size_t b,
                        int parameter) {
    const int result = compareKeys(store, a, b, std::abs(parameter) - 1);
    return parameter < 0 ? -result : result;
}

std::u16string gradeText(const LanguageTable& language, std::int32_t grade, bool evaluate) {
    if (!evaluate) return language.text(TEXT_GRADE_NOT_EVALUATED);
    switch (grade) {
    case GRADE_O: return language.text(TEXT_GRADE_O);
    case GRADE_PASS: return language.text(TEXT_GRADE_PASS);
    case GRADE_WARNING: return language.text(TEXT_GRADE_WARNING);
    case GRADE_FAIL: return language.text(TEXT_GRADE_FAIL);
    default: return u"----";
    }
}

std::u16string locationColumnText(const MeasurementStore& store, std::size_t record, int column) {
    const LocationRecord& shown = store.locationRecords[record];
    switch (column) {
    case 1: return integerText(record + 1) + u".";
    case 2: return integerText(shown.olt);
    case 3: return integerText(shown.ont);
    case LOCATION_NAME_COLUMN: return locationLabel(store.locationNames, shown.location);
    case 5:
    case 7:
    case 9: return powerText(shown.power[(column - 5) / 2]);
    case 6:
    case 8:
    case 10: {
        const int wavelength = (column - LOCATION_FIRST_GRADE_COLUMN) / 2;
        return gradeText(store.language, shown.grade[wavelength],
                         store.evaluateWavelength[wavelength] != 0);
    }
    case 11: return unitsText(shown).substr(0, UNITS_SHOWN);
    case LOCATION_LIMIT_SET_COLUMN:
        return limitSetLabel(store.language, store.activeLimitSets, shown.limitSet);
    default: return {};  // the tick column has its check box only
    }
}

void commitLocationSelection(MeasurementStore& store, std::span<const ShownRow> rows) {
    const std::size_t count = std::min<std::size_t>(store.recordCount, MAX_RECORDS);
    for (std::size_t index = 0; index < count; ++index) store.locationRecords[index].selected = 0;
    // 640 KB: never on the stack.
    auto ordered = std::make_unique<std::array<LocationRecord, MAX_RECORDS>>();
    std::size_t slot = 0;
    for (const ShownRow& row : rows) {
        if (row.record >= count || slot == MAX_RECORDS) continue;
        LocationRecord& record = store.locationRecords[row.record];
        if (row.ticked) record.selected = 1;
        (*ordered)[slot++] = record;
    }
    store.locationRecords = *ordered;
}
