// The loss-meter blocks of a report: wavelength columns, one value line per
// fibre with both directions, their average and its verdict against the loss
// limit, the statistics lines and the loss-limit lines; and the verdict
// summary and loss charts, written wherever their markers stand.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

struct MeasurementStore;
struct WavelengthSummaryEntry;
class ReportWriter;

enum class StatisticsLine { Means = 1, Maxima = 2, Minima = 3 };

// Loss limit of a wavelength with specific attenuation dbPerKm.
double lossLimit(const MeasurementStore& store, double dbPerKm);

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
    enum class Verdict { NotEvaluated, WithinLimit, OverLimit };

    // The selected readings of one fibre at one wavelength and their average.
    struct FibreAverage {
        std::int64_t aToB = -1;  // reading index, or -1
        std::int64_t bToA = -1;
        double a = 0.0;
        double b = 0.0;
        double average = 0.0;  // of the directions present

        bool measured() const { return aToB >= 0 || bToA >= 0; }
    };

    // What the cells of one value line said about the loss limits.
    struct RowVerdict {
        bool overLimit = false;
        bool withinLimit = false;
    };

    // Index of the first selected reading with this wavelength, state and
    // order, or -1.
    std::int64_t findSelectedReading(std::uint32_t wavelength, std::uint32_t state,
                                     std::uint32_t order);
    FibreAverage fibreAverage(std::uint32_t wavelength, std::uint32_t fibre);
    Verdict verdictOf(const WavelengthSummaryEntry& entry, const FibreAverage& fibre) const;
    // Fibres 1 to this number make the value lines, the summary and the charts.
    std::uint32_t fibreCount() const;
    // One cell of a value line; adds its values to the entry's statistics.
    std::u16string valueCell(WavelengthSummaryEntry& entry, std::uint32_t fibre,
                             RowVerdict& verdict);

    MeasurementStore& store_;
    ReportWriter& out_;
    std::u16string cellPattern_;
    // Built at the first value line: the readings do not change during a report.
    // Per direction (A to B, B to A): wavelength and order -> reading index.
    std::array<std::unordered_map<std::uint64_t, std::uint32_t>, 2> selectedReadings_;
    bool selectedReadingsIndexed_ = false;
};
