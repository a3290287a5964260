// The value selection without its controls: which loss readings of a
// wavelength stand in the loaded list and in the two direction lists, and
// how the dialog's buttons move them between the lists. Every function
// works on the readings of the store at once; nothing is kept besides them.
//
// All scans run over the readings from index 0 while the index is below
// recordCount and stop at the first empty record (state 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/measurement_store.h"

enum class SelectionMode { TwoWay, OneWay };

// Largest order among readings with this state and wavelength; 0 if none.
std::uint32_t maxPosition(const MeasurementStore& store, std::uint32_t state, std::uint32_t wavelength);

// First reading at this position of a list, or none.
std::optional<std::size_t> findAtPosition(const MeasurementStore& store, std::uint32_t wavelength,
                                          std::uint32_t state, std::uint32_t order);

// First reading with all four fields equal, or none.
std::optional<std::size_t> findReading(const MeasurementStore& store, std::uint32_t state,
                                       std::uint32_t number, std::uint32_t wavelength,
                                       std::uint32_t subNumber);

// Two-way when any reading is in B to A or none is selected; one-way when
// only A to B holds readings.
SelectionMode chooseInitialMode(const MeasurementStore& store);

// Indices of the readings that the three lists show for a wavelength:
// the loaded ones in scan order, and each direction list from position 1
// up to its first missing position.
struct SelectionLists {
    std::vector<std::size_t> loaded;
    std::vector<std::size_t> aToB;
    std::vector<std::size_t> bToA;
};
SelectionLists selectionListsFor(const MeasurementStore& store, std::uint32_t wavelength);

// Whether OK and the wavelength box may be used: always in one-way mode, and
// in two-way mode only while both direction lists of the wavelength end at
// the same position.
bool selectionBalanced(const MeasurementStore& store, SelectionMode mode, std::uint32_t wavelength);

// Moves the readings named by the selected items of a list ("number/subNumber"
// texts of column 0, in ascending item order) from one state to another.
// An empty text or one without "/" ends the whole move; a text that names no
// reading in fromState is skipped. Readings added to a direction list are
// appended in item order; readings returned from one close the gap behind them.
void moveSelectedReadings(MeasurementStore& store, std::uint32_t currentWavelength,
                          const std::vector<std::u16string>& selectedItemTexts,
                          std::uint32_t fromState, std::uint32_t toState);

// The "<--------" button: returns the selected entries of both direction
// lists. Both lists are read before the first move, so a B to A entry that
// went back as the partner of an A to B entry is not found again.
void returnSelectedReadings(MeasurementStore& store, std::uint32_t currentWavelength,
                            const std::vector<std::u16string>& selectedAToBTexts,
                            const std::vector<std::u16string>& selectedBToATexts);

// Returns position `order` of both direction lists of `number` at `wavelength`
// to the loaded list and moves the later positions of that number up by one.
void closePositionGap(MeasurementStore& store, std::uint32_t order, std::uint32_t number,
                      std::uint32_t wavelength);

// Every reading of every wavelength back to the loaded list.
void clearSelection(MeasurementStore& store);

// List item texts: column 0 "number/subNumber", column 1 the value with two
// decimals, halves rounded away from zero.
std::u16string readingNumberText(const ReadingRecord& reading);
std::u16string readingValueText(const ReadingRecord& reading);

// Wavelength box: the item text of a wavelength ("1310 nm"), and the
// wavelength that a selected item's text stands for (0 for no selection).
std::u16string wavelengthItemText(std::uint32_t wavelength);
std::uint32_t currentWavelength(std::u16string_view selectedItemText);
