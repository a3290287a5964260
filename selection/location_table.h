// The ZD615 location table without its controls: what each column of a row
// shows, how a header click sorts the rows, and how OK stores the ticks and
// the order shown. A row stands for the location record whose index it got
// when the table was filled; records move only when the order is committed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

struct LanguageTable;
struct MeasurementStore;

inline constexpr int LOCATION_COLUMNS = 13;
inline constexpr int LOCATION_TICK_COLUMN = 0;
// Columns 6, 8 and 10 show the grades of wavelength 0, 1 and 2.
inline constexpr int LOCATION_FIRST_GRADE_COLUMN = 6;
inline constexpr int LOCATION_NAME_COLUMN = 4;
inline constexpr int LOCATION_LIMIT_SET_COLUMN = 12;

// The last header clicked and its direction. The program keeps one for its
// whole life: neither the table nor a new protocol resets it.
struct LocationSortMemory {
    int lastSortColumn = 0;
    bool sortDescendingFlag = false;
};

// A header click on `column`: a new column starts descending, the same
// column reverses. The result is column + 1 when descending and
// -(column + 1) when ascending; for the tick column positive means tick
// every row and negative untick every row.
int headerClickParameter(LocationSortMemory& memory, int column);

// Compares the records of two rows for the column |parameter| - 1: numeric
// keys put larger values first (NOT_SET powers the largest of all), units
// in ascending byte order; a negative parameter reverses. 0 for equal keys
// and for columns without a key.
int compareLocationRows(const MeasurementStore& store, std::size_t a, std::size_t b,
                        int parameter);

// The grade as the table shows it; a wavelength not evaluated shows text 129.
std::u16string gradeText(const LanguageTable& language, std::int32_t grade, bool evaluate);

// The text of `column` in the row of record `record`. Column 1 numbers the
// rows in the order they were filled, that is by record index from 1.
std::u16string locationColumnText(const MeasurementStore& store, std::size_t record, int column);

// A row as the table shows it when OK is pressed.
struct ShownRow {
    std::size_t record;
    bool ticked;
};

// The records in the order of `rows`, `selected` set exactly for the ticked
// ones; slots beyond the rows are emptied.
void commitLocationSelection(MeasurementStore& store, std::span<const ShownRow> rows);
