#include "selection/value_selection.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>

#include "core/number_text.h"
#include "report/value_format.h"

namespace {

// The text of column 0 is read into a buffer of 32 units.
constexpr std::size_t ITEM_TEXT_MAX = 31;
// The wavelength box's selected text is read into a buffer of 16 units.
constexpr std::size_t WAVELENGTH_TEXT_MAX = 15;

bool isDirection(std::uint32_t state) { return state == STATE_A_TO_B || state == STATE_B_TO_A; }

// Every scan ends at recordCount or at the first empty record.
std::size_t scanEnd(const MeasurementStore& store) {
    const std::size_t limit = std::min<std::size_t>(store.recordCount, MAX_RECORDS);
    std::size_t end = 0;
    while (end < limit && store.readings[end].state != STATE_EMPTY) {
        ++end;
    }
    return end;
}

bool isReading(const ReadingRecord& reading, std::uint32_t state, std::uint32_t number,
               std::uint32_t wavelength, std::uint32_t subNumber) {
    return reading.state == state && reading.number == number && reading.wavelength == wavelength &&
           reading.subNumber == subNumber;
}

// One reading's part in closing the gap at `order` of `number` and `wavelength`.
void closeGapAt(ReadingRecord& reading, std::uint32_t order, std::uint32_t number, std::uint32_t wavelength) {
    if (!isDirection(reading.state) || reading.number != number || reading.wavelength != wavelength) {
        return;
    }
    if (reading.order == order) {
        reading.state = STATE_LOADED;
        reading.order = 0;
    } else if (reading.order > order) {
        --reading.order;
    }
}

struct IndexRange {
    std::vector<std::size_t>::const_iterator first;
    std::vector<std::size_t>::const_iterator last;
    auto begin() const { return first; }
    auto end() const { return last; }
};

// The readings of one wavelength sorted by number, subNumber and index, so
// that a move with thousands of selected items finds each one without
// scanning every reading. Moves change states and orders only, never this
// sort order, and the first match in a range is the first in scan order.
class ReadingLookup {
public:
    ReadingLookup(const MeasurementStore& store, std::uint32_t wavelength) : store_(store) {
        for (std::size_t index = 0, end = scanEnd(store); index < end; ++index) {
            if (store.readings[index].wavelength == wavelength) {
                indices_.push_back(index);
            }
        }
        std::sort(indices_.begin(), indices_.end(), [this](std::size_t left, std::size_t right) {
            return std::tuple(numberOf(left), store_.readings[left].subNumber, left) <
                   std::tuple(numberOf(right), store_.readings[right].subNumber, right);
        });
    }

    IndexRange withNumber(std::uint32_t number) const {
        return rangeOf(number, [this](std::size_t index) { return numberOf(index); });
    }

    IndexRange withNumber(std::uint32_t number, std::uint32_t subNumber) const {
        return rangeOf(std::pair(number, subNumber), [this](std::size_t index) {
            return std::pair(numberOf(index), store_.readings[index].subNumber);
        });
    }

private:
    std::uint32_t numberOf(std::size_t index) const { return store_.readings[index].number; }

    template <typename Key, typename KeyOf>
    IndexRange rangeOf(const Key& key, KeyOf keyOf) const {
        const auto first = std::lower_bound(indices_.begin(), indices_.end(), key,
                                            [&](std::size_t index, const Key& k) { return keyOf(index) < k; });
        const auto last = std::upper_bound(first, indices_.end(), key,
                                           [&](const Key& k, std::size_t index) { return k < keyOf(index); });
        return {first, last};
    }

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
    for (std::size_t index = 0, end = scanEnd(store); index < end; ++index) {
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
    for (std::size_t index = 0, end = scanEnd(store); index < end; ++index) {
        const ReadingRecord& reading = store.readings[index];
        if (reading.state == state && reading.wavelength == wavelength) {
            largest = std::max(largest, reading.order);
        }
    }
    return largest;
}

std::optional<std::size_t> findAtPosition(const MeasurementStore& store, std::uint32_t wavelength,
                                          std::uint32_t state, std::uint32_t order) {
    for (std::size_t index = 0, end = scanEnd(store); index < end; ++index) {
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
    for (std::size_t index = 0, end = scanEnd(store); index < end; ++index) {
        if (isReading(store.readings[index], state, number, wavelength, subNumber)) {
            return index;
        }
    }
    return std::nullopt;
}

SelectionMode chooseInitialMode(const MeasurementStore& store) {
    bool anyAToB = false;
    for (std::size_t index = 0, end = scanEnd(store); index < end; ++index) {
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
    for (std::size_t index = 0, end = scanEnd(store); index < end; ++index) {
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
        const IndexRange candidates = lookup.withNumber(key->number, key->subNumber);
        const auto found = std::find_if(candidates.begin(), candidates.end(), [&](std::size_t index) {
            return isReading(store.readings[index], fromState, key->number, currentWavelength, key->subNumber);
        });
        if (found == candidates.end()) {
            continue;
        }
        ReadingRecord& reading = store.readings[*found];
        if (appending) {
            reading.order = lastPosition + 1;
            lastPosition = std::max(lastPosition, reading.order);
        }
        if (returning) {
            // Taken first: closing the gap resets this reading's own order.
            const std::uint32_t order = reading.order;
            for (const std::size_t index : lookup.withNumber(reading.number)) {
                closeGapAt(store.readings[index], order, reading.number, reading.wavelength);
            }
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
    for (std::size_t index = 0, end = scanEnd(store); index < end; ++index) {
        closeGapAt(store.readings[index], order, number, wavelength);
    }
}

void clearSelection(MeasurementStore& store) {
    for (std::size_t index = 0, end = scanEnd(store); index < end; ++index) {
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
