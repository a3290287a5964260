// The loss-meter blocks of a report: wavelength columns, one value line per
// fibre with both directions, their average and its verdict against the loss
// limit, the statistics lines and the loss-limit lines; and the verdict
// summary and loss charts, written wherever their markers stand.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/records.h"

struct MeasurementStore;
class ReportWriter;

enum class StatisticsLine { Means = 1, Maxima = 2, Minima = 3 };

// Loss limit of a wavelength with specific attenuation dbPerKm.
double lossLimit(const MeasurementStore& store, double dbPerKm);

// Report wavelengths are the summary entries with a selected reading (a
// maxOrder above 0), visited in summary order by everything that prints
// them, so that heads, cells and statistics line up.
template <typename Summary, typename Visit>
void forEachReportWavelength(Summary& summary, Visit visit) {
    const std::size_t count = std::min<std::size_t>(summary.wavelengthCount, WAVELENGTH_SLOTS);
    for (std::size_t index = 0; index < count; ++index) {
        if (summary.entries[index].maxOrder != 0) visit(summary.entries[index]);
    }
}

// The fibres of the value lines, the summary and the charts, 1 to this
// number; 0 without a report wavelength. A forged order in a protocol file
// cannot make it larger than the number of readings.
std::uint32_t reportFibreCount(const MeasurementStore& store);

// One fibre at one wavelength: its selected readings, their average and the
// loss limit it is judged against.
struct FibreResult {
    std::optional<double> aToB;
    std::optional<double> bToA;
    double average = 0.0;         // of the directions present
    std::optional<double> limit;  // none without a specific attenuation

    bool measured() const { return aToB || bToA; }
    // An average that is no number (a damaged protocol file can hold one) is
    // neither over nor within its limit: it is not evaluated.
    bool overLimit() const { return measured() && limit && average > *limit; }
    bool withinLimit() const { return measured() && limit && average <= *limit; }
};

// What the results of one value line said about the loss limits.
struct RowVerdict {
    bool overLimit = false;
    bool withinLimit = false;

    void add(const FibreResult& result);
    // Language text 96 (some over its limit), 97 (all evaluated within) or
    // 98 (none evaluated).
    std::size_t remarkText() const;
};

// The selected readings, indexed once: the readings do not change while
// their results are printed.
class SelectedReadings {
public:
    explicit SelectedReadings(const MeasurementStore& store);

    FibreResult result(std::uint32_t wavelength, std::uint32_t fibre) const;

private:
    // Index of the first selected reading with this wavelength, state and
    // order, or -1.
    std::int64_t find(std::uint32_t wavelength, std::uint32_t state, std::uint32_t order) const;

    const MeasurementStore& store_;
    // Per direction (A to B, B to A): wavelength and order -> reading index.
    std::array<std::unordered_map<std::uint64_t, std::uint32_t>, 2> index_;
};

// Working state of the loss blocks for one report. The statistics of the
// wavelength summary accumulate as value lines are written.
class LossReport {
public:
    LossReport(MeasurementStore& store, ReportWriter& out) : store_(store), out_(out) {}

    // ADDWAVEEND3 and STATPARAMEND: the cell of later value and statistics lines.
    void keepCellPattern(std::u16string_view body) { cellPattern_ = body; }

    bool writeColumnHeads(std::u16string_view body);    // ADDWAVEEND1
    bool writeColumnRepeats(std::u16string_view body);  // ADDWAVEEND2
    bool writeValueLines(std::u16string_view body);     // VALLINEEND
    bool writeStatisticsLine(StatisticsLine line, std::u16string_view body);  // STATLINEEND1..3
    bool writeLossLimitLines(std::u16string_view body);  // LOSSLINEEND

    // LOSSSUMMARY: per report wavelength, how many fibres are within, over
    // and not evaluated against the loss limit.
    bool writeSummary();
    // LOSSCHART: one chart of the fibre averages per report wavelength.
    bool writeCharts();

private:
    // Built at first use.
    const SelectedReadings& selectedReadings();
    // One cell of a value line; adds its values to the entry's statistics.
    std::u16string valueCell(WavelengthSummaryEntry& entry, std::uint32_t fibre,
                             RowVerdict& verdict);

    MeasurementStore& store_;
    ReportWriter& out_;
    std::u16string cellPattern_;
    std::optional<SelectedReadings> selectedReadings_;
};
