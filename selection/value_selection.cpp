#include "selection/value_selection.h"

#include <algorithm>
#include <ranges>
#include <span>
#include <string>
#include <utility>

#include "core/number_text.h"
#include "report/value_format.h"

namespace {

// The text of column 0 is read into a buffer of 32 units.
constexpr std::size_t ITEM_TEXT_MAX = 31;
// The wavelength box's selected text is read into a buffer of 16 units.
constexpr std::size_t WAVELENGTH_TEXT_MAX = 15;

bool isDirection(std::uint32_t state) { return state == STATE_A_TO_B || state == STATE_B_TO_A; }

// Indices of the readings every scan covers.
auto scannedReadings(const MeasurementStore& store) {
    const std::size_t limit = std::min<std::size_t>(store.recordCount, MAX_RECORDS);
    std::size_t end = 0;
    while (end < limit && store.readings[end].state != STATE_EMPTY) {
        ++end;
    }
    return std::views::iota(std::size_t{0}, end);
}

template <typename Indices>
std::optional<std::size_t> findAmong(const MeasurementStore& store, const Indices& indices,
                                     std::uint32_t state, std::uint32_t number,
                                     std::uint32_t wavelength, std::uint32_t subNumber) {
    for (const std::size_t index : indices) {
        const ReadingRecord& reading = store.readings[index];
        if (reading.state == state && reading.number == number && reading.wavelength == wavelength &&
            reading.subNumber == subNumber) {
            return index;
        }
    }
    return std::nullopt;
}

template <typename Indices>
void closeGapAmong(MeasurementStore& store, const Indices& indices, std::uint32_t order,
                   std::uint32_t number, std::uint32_t wavelength) {
    for (const std::size_t index : indices) {
        ReadingRecord& reading = store.readings[index];
        if (!isDirection(reading.state) || reading.number != number || reading.wavelength != wavelength) {
            continue;
        }
        if (reading.order == order) {
            reading.state = STATE_LOADED;
            reading.order = 0;
        } else if (reading.order > order) {
            --reading.order;
        }
    }
}

// The readings of one wavelength sorted by number, subNumber and index, so
// that a move with thousands of selected items finds each one without
// scanning every reading. Moves change states and orders only, never this
// sort order, and the first match in a range is the first in scan order.
class ReadingLookup {
public:
    ReadingLookup(const MeasurementStore& store, std::uint32_t wavelength) : store_(store) {
        for (const std::size_t index : scannedReadings(store)) {
            if (store.readings[index].wavelength == wavelength) {
                indices_.push_back(index);
            }
        }
        std::ranges::sort(indices_, {}, [this](std::size_t index) {
            const ReadingRecord& reading = store_.readings[index];
            return std::tuple(reading.number, reading.subNumber, index);
        });
    }

    std::span<const std::size_t> withNumber(std::uint32_t number) const {
        return std::ranges::equal_range(indices_, number, {},
                                        [this](std::size_t index) { return store_.readings[index].number; });
    }

    std::span<const std::size_t> withNumber(std::uint32_t number, std::uint32_t subNumber) const {
        return std::ranges::equal_range(indices_, std::pair(number, subNumber), {}, [this](std::size_t index) {
            const ReadingRecord& reading = store_.readings[index];
            return std::pair(reading.number, reading.subNumber);
        });
    }

private:
    const MeasurementStore& store_;
    std::vector<std::size_t> indices_;
};

struct ItemKey {
    std::uint32_t number;
    std::uint32_t subNumber;
};

// "number/subNumber" of a list item; none for a text that ends the move.
std::optional<ItemKey> parseItemText(std::u16string_view text) {
    text = text.substr(0, ITEM_TEXT_MAX);
    const std::size_t slash = text.find(u'/');
    if (text.empty() || slash == std::u16string_view::npos) {
        return std::nullopt;
    }
    return ItemKey{static_cast<std::uint32_t>(parseInteger(text.substr(0, slash))),
                   static_cast<std::uint32_t>(parseInteger(text.substr(slash + 1)))};
}

// One direction list from position 1 to its first missing position. A list
// that reaches position k holds at least k readings, so no position beyond
// the number of readings in the state can be reached.
std::vector<std::size_t> directionList(const MeasurementStore& store, std::uint32_t state,
                                       std::uint32_t wavelength) {
    std::vector<std::size_t> inState;
    for (const std::size_t index : scannedReadings(store)) {
        const ReadingRecord& reading = store.readings[index];
        if (reading.state == state && reading.wavelength == wavelength) {
            inState.push_back(index);
        }
    }
    std::vector<std::optional<std::size_t>> firstAtPosition(inState.size() + 1);
    for (const std::size_t index : inState) {
        const std::uint32_t order = store.readings[index].order;
        if (order >= 1 && order <= inState.size() && !firstAtPosition[order]) {
            firstAtPosition[order] = index;
        }
    }
    std::vector<std::size_t> list;
    for (std::size_t position = 1; position <= inState.size() && firstAtPosition[position]; ++position) {
        list.push_back(*firstAtPosition[position]);
    }
    return list;
}

}  // namespace

std::uint32_t maxPosition(const MeasurementStore& store, std::uint32_t state, std::uint32_t wavelength) {
    std::uint32_t largest = 0;
    for (const std::size_t index : scannedReadings(store)) {
        const ReadingRecord& reading = store.readings[index];
        if (reading.state == state && reading.wavelength == wavelength) {
            largest = std::max(largest, reading.order);
        }
    }
    return largest;
}

std::optional<std::size_t> findAtPosition(const MeasurementStore& store, std::uint32_t wavelength,
                                          std::uint32_t state, std::uint32_t order) {
    for (const std::size_t index : scannedReadings(store)) {
        const ReadingRecord& reading = store.readings[index];
        if (reading.wavelength == wavelength && reading.state == state && reading.order == order) {
            return index;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> findReading(const MeasurementStore& store, std::uint32_t state,
                                       std::uint32_t number, std::uint32_t wavelength,
                                       std::uint32_t subNumber) {
    return findAmong(store, scannedReadings(store), state, number, wavelength, subNumber);
}

SelectionMode chooseInitialMode(const MeasurementStore& store) {
    bool anyAToB = false;
    for (const std::size_t index : scannedReadings(store)) {
        const std::uint32_t state = store.readings[index].state;
        if (state == STATE_B_TO_A) {
            return SelectionMode::TwoWay;
        }
        anyAToB = anyAToB || state == STATE_A_TO_B;
    }
    return anyAToB ? SelectionMode::OneWay : SelectionMode::TwoWay;
}

SelectionLists selectionListsFor(const MeasurementStore& store, std::uint32_t wavelength) {
    SelectionLists lists;
    for (const std::size_t index : scannedReadings(store)) {
        const ReadingRecord& reading = store.readings[index];
        if (reading.state == STATE_LOADED && reading.wavelength == wavelength) {
            lists.loaded.push_back(index);
        }
    }
    lists.aToB = directionList(store, STATE_A_TO_B, wavelength);
    lists.bToA = directionList(store, STATE_B_TO_A, wavelength);
    return lists;
}

bool selectionBalanced(const MeasurementStore& store, SelectionMode mode, std::uint32_t wavelength) {
    return mode == SelectionMode::OneWay ||
           maxPosition(store, STATE_B_TO_A, wavelength) == maxPosition(store, STATE_A_TO_B, wavelength);
}

void moveSelectedReadings(MeasurementStore& store, std::uint32_t currentWavelength,
                          const std::vector<std::u16string>& selectedItemTexts,
                          std::uint32_t fromState, std::uint32_t toState) {
    const ReadingLookup lookup(store, currentWavelength);
    const bool appending = fromState == STATE_LOADED && isDirection(toState);
    const bool returning = isDirection(fromState) && toState == STATE_LOADED;
    // Only the readings appended here change the target list's last position.
    std::uint32_t lastPosition = appending ? maxPosition(store, toState, currentWavelength) : 0;

    for (const std::u16string& text : selectedItemTexts) {
        const std::optional<ItemKey> key = parseItemText(text);
        if (!key) {
            return;
        }
        const std::optional<std::size_t> found =
            findAmong(store, lookup.withNumber(key->number, key->subNumber), fromState, key->number,
                      currentWavelength, key->subNumber);
        if (!found) {
            continue;
        }
        ReadingRecord& reading = store.readings[*found];
        if (appending) {
            reading.order = lastPosition + 1;
            lastPosition = std::max(lastPosition, reading.order);
        }
        if (returning) {
            closeGapAmong(store, lookup.withNumber(reading.number), reading.order, reading.number,
                          reading.wavelength);
        }
        reading.state = toState;
    }
}

void returnSelectedReadings(MeasurementStore& store, std::uint32_t currentWavelength,
                            const std::vector<std::u16string>& selectedAToBTexts,
                            const std::vector<std::u16string>& selectedBToATexts) {
    moveSelectedReadings(store, currentWavelength, selectedAToBTexts, STATE_A_TO_B, STATE_LOADED);
    moveSelectedReadings(store, currentWavelength, selectedBToATexts, STATE_B_TO_A, STATE_LOADED);
}

void closePositionGap(MeasurementStore& store, std::uint32_t order, std::uint32_t number,
                      std::uint32_t wavelength) {
    closeGapAmong(store, scannedReadings(store), order, number, wavelength);
}

void clearSelection(MeasurementStore& store) {
    for (const std::size_t index : scannedReadings(store)) {
        store.readings[index].state = STATE_LOADED;
        store.readings[index].order = 0;
    }
}

std::u16string readingNumberText(const ReadingRecord& reading) {
    return asciiToU16(std::to_string(reading.number) + "/" + std::to_string(reading.subNumber));
}

std::u16string readingValueText(const ReadingRecord& reading) { return twoDecimalText(reading.value); }

std::u16string wavelengthItemText(std::uint32_t wavelength) {
    return asciiToU16(std::to_string(wavelength) + " nm");
}

std::uint32_t currentWavelength(std::u16string_view selectedItemText) {
    return static_cast<std::uint32_t>(parseInteger(selectedItemText.substr(0, WAVELENGTH_TEXT_MAX)));
}
