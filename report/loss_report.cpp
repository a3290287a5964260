#include "report/loss_report.h"

#include <algorithm>
#include <vector>

#include "core/measurement_store.h"
#include "core/number_text.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "report/loss_chart.h"
#include "report/report_text.h"
#include "report/value_format.h"

namespace {

constexpr std::u16string_view MISSING = u"---";

std::size_t summaryEntryCount(const WavelengthSummary& summary) {
    return std::min<std::size_t>(summary.wavelengthCount, WAVELENGTH_SLOTS);
}

// Report wavelengths are the summary entries with a selected reading (a
// maxOrder above 0), visited in summary order by every block so that heads,
// cells and statistics line up.
template <typename Summary, typename Visit>
void forEachReportWavelength(Summary& summary, Visit visit) {
    const std::size_t count = summaryEntryCount(summary);
    for (std::size_t index = 0; index < count; ++index) {
        if (summary.entries[index].maxOrder != 0) visit(summary.entries[index]);
    }
}

bool hasReportWavelength(const WavelengthSummary& summary) {
    bool found = false;
    forEachReportWavelength(summary, [&](const WavelengthSummaryEntry&) { found = true; });
    return found;
}

std::uint64_t readingKey(std::uint32_t wavelength, std::uint32_t order) {
    return (std::uint64_t{wavelength} << 32) | order;
}

void accumulate(double value, double& sum, std::uint32_t& count, double& max, double& min) {
    sum += value;
    ++count;
    if (value > max) max = value;
    if (value < min) min = value;
}

std::u16string statisticText(StatisticsLine line, double sum, std::uint32_t count, double max,
                             double min) {
    if (count == 0) return std::u16string(MISSING);
    switch (line) {
    case StatisticsLine::Means: return twoDecimalText(sum / count);
    case StatisticsLine::Maxima: return twoDecimalText(max);
    case StatisticsLine::Minima: return twoDecimalText(min);
    }
    return std::u16string(MISSING);
}

std::u16string_view statisticsMarker(StatisticsLine line) {
    switch (line) {
    case StatisticsLine::Means: return u"**ADDSTATPARAM1**";
    case StatisticsLine::Maxima: return u"**ADDSTATPARAM2**";
    case StatisticsLine::Minima: return u"**ADDSTATPARAM3**";
    }
    return {};
}

}  // namespace

double lossLimit(const MeasurementStore& store, double dbPerKm) {
    return dbPerKm * (store.fibreLengthValue / 1000) + store.elementLossBudget;
}

bool LossReport::writeColumnHeads(std::u16string_view body) {
    std::u16string heads;
    forEachReportWavelength(store_.wavelengthSummary, [&](const WavelengthSummaryEntry& entry) {
        std::u16string head(body);
        replaceFirst(head, u"**TWAVELEN**", integerText(entry.wavelength));
        heads += head;
    });
    return out_.write(heads);
}

bool LossReport::writeColumnRepeats(std::u16string_view body) {
    std::u16string repeats;
    forEachReportWavelength(store_.wavelengthSummary,
                            [&](const WavelengthSummaryEntry&) { repeats += body; });
    return out_.write(repeats);
}

std::int64_t LossReport::findSelectedReading(std::uint32_t wavelength, std::uint32_t state,
                                             std::uint32_t order) {
    if (!selectedReadingsIndexed_) {
        // The first reading of each wavelength, state and order wins; the
        // used part of the array ends at the first empty slot.
        const std::size_t count = std::min<std::size_t>(store_.recordCount, MAX_RECORDS);
        for (std::size_t index = 0; index < count; ++index) {
            const ReadingRecord& reading = store_.readings[index];
            if (reading.state == STATE_EMPTY) break;
            if (reading.state == STATE_A_TO_B || reading.state == STATE_B_TO_A) {
                selectedReadings_[reading.state - STATE_A_TO_B].try_emplace(
                    readingKey(reading.wavelength, reading.order),
                    static_cast<std::uint32_t>(index));
            }
        }
        selectedReadingsIndexed_ = true;
    }
    const auto& index = selectedReadings_[state - STATE_A_TO_B];
    const auto found = index.find(readingKey(wavelength, order));
    return found == index.end() ? -1 : std::int64_t{found->second};
}

LossReport::FibreAverage LossReport::fibreAverage(std::uint32_t wavelength, std::uint32_t fibre) {
    FibreAverage found;
    found.aToB = findSelectedReading(wavelength, STATE_A_TO_B, fibre);
    found.bToA = findSelectedReading(wavelength, STATE_B_TO_A, fibre);
    if (found.aToB >= 0) found.a = store_.readings[found.aToB].value;
    if (found.bToA >= 0) found.b = store_.readings[found.bToA].value;
    if (found.measured()) {
        const int directions = (found.aToB >= 0 ? 1 : 0) + (found.bToA >= 0 ? 1 : 0);
        found.average = (found.a + found.b) / directions;
    }
    return found;
}

LossReport::Verdict LossReport::verdictOf(const WavelengthSummaryEntry& entry,
                                          const FibreAverage& fibre) const {
    if (!fibre.measured()) return Verdict::NotEvaluated;
    const double dbPerKm = findDbPerKm(store_, entry.wavelength);
    if (dbPerKm == NOT_SET) return Verdict::NotEvaluated;
    return fibre.average > lossLimit(store_, dbPerKm) ? Verdict::OverLimit : Verdict::WithinLimit;
}

std::uint32_t LossReport::fibreCount() const {
    const WavelengthSummary& summary = store_.wavelengthSummary;
    if (!hasReportWavelength(summary)) return 0;
    // A forged order in a protocol file cannot make this run for more fibres
    // than there are readings.
    return std::min(summary.maxSelectedOrder, store_.recordCount);
}

std::u16string LossReport::valueCell(WavelengthSummaryEntry& entry, std::uint32_t fibreNumber,
                                     RowVerdict& verdict) {
    const FibreAverage fibre = fibreAverage(entry.wavelength, fibreNumber);
    std::u16string cell = cellPattern_;
    replaceFirst(cell, u"**VALAB**",
                 fibre.aToB >= 0 ? twoDecimalText(fibre.a) : std::u16string(MISSING));
    replaceFirst(cell, u"**VALBA**",
                 fibre.bToA >= 0 ? twoDecimalText(fibre.b) : std::u16string(MISSING));
    if (!fibre.measured()) {
        replaceFirst(cell, u"**VALAVE**", MISSING);
        return cell;
    }

    if (fibre.aToB >= 0) accumulate(fibre.a, entry.sum1, entry.count1, entry.max1, entry.min1);
    if (fibre.bToA >= 0) accumulate(fibre.b, entry.sum2, entry.count2, entry.max2, entry.min2);
    accumulate(fibre.average, entry.sum3, entry.count3, entry.max3, entry.min3);

    std::u16string averageText = twoDecimalText(fibre.average);
    switch (verdictOf(entry, fibre)) {
    case Verdict::OverLimit:
        verdict.overLimit = true;
        averageText = u"<B>" + averageText + u"</B>";
        break;
    case Verdict::WithinLimit: verdict.withinLimit = true; break;
    case Verdict::NotEvaluated: break;
    }
    replaceFirst(cell, u"**VALAVE**", averageText);
    return cell;
}

bool LossReport::writeValueLines(std::u16string_view body) {
    const std::uint32_t fibres = fibreCount();
    for (std::uint32_t fibre = 1; fibre <= fibres; ++fibre) {
        RowVerdict verdict;
        std::u16string cells;
        forEachReportWavelength(store_.wavelengthSummary, [&](WavelengthSummaryEntry& entry) {
            cells += valueCell(entry, fibre, verdict);
        });
        std::u16string line(body);
        replaceFirst(line, u"**THREAD**", integerText(fibre));
        const std::size_t remark = verdict.overLimit     ? TEXT_REMARK_OVER_LIMIT
                                   : verdict.withinLimit ? TEXT_REMARK_WITHIN_LIMIT
                                                         : TEXT_REMARK_NOT_EVALUATED;
        replaceFirst(line, u"**REMARK**", store_.language.text(remark));
        replaceFirst(line, u"**ADDPARAM**", cells);
        if (!out_.write(line)) return false;
    }
    return true;
}

bool LossReport::writeStatisticsLine(StatisticsLine kind, std::u16string_view body) {
    std::u16string cells;
    forEachReportWavelength(store_.wavelengthSummary, [&](const WavelengthSummaryEntry& entry) {
        std::u16string cell = cellPattern_;
        replaceFirst(cell, u"**PARAB**",
                     statisticText(kind, entry.sum1, entry.count1, entry.max1, entry.min1));
        replaceFirst(cell, u"**PARBA**",
                     statisticText(kind, entry.sum2, entry.count2, entry.max2, entry.min2));
        // No average accumulated (statistics before the value lines): "---"
        // rather than a division by zero or the start values of the extremes.
        replaceFirst(cell, u"**PARAVE**",
                     statisticText(kind, entry.sum3, entry.count3, entry.max3, entry.min3));
        cells += cell;
    });
    std::u16string line(body);
    replaceFirst(line, statisticsMarker(kind), cells);
    return out_.write(line);
}

bool LossReport::writeLossLimitLines(std::u16string_view body) {
    std::u16string lines;
    forEachReportWavelength(store_.wavelengthSummary, [&](const WavelengthSummaryEntry& entry) {
        const double dbPerKm = findDbPerKm(store_, entry.wavelength);
        if (dbPerKm == NOT_SET) return;
        std::u16string line(body);
        replaceFirst(line, u"**SLWAVELEN**", integerText(entry.wavelength));
        replaceFirst(line, u"**LWAVELEN**", integerText(entry.wavelength));
        replaceFirst(line, u"**LOSS**", twoDecimalText(dbPerKm));
        replaceFirst(line, u"**LOSSLIMIT**", twoDecimalText(lossLimit(store_, dbPerKm)));
        lines += line;
    });
    return out_.write(lines);
}

bool LossReport::writeSummary() {
    struct Counts {
        std::uint32_t wavelength = 0;
        std::uint32_t within = 0;
        std::uint32_t over = 0;
        std::uint32_t notEvaluated = 0;
    };
    std::vector<Counts> rows;
    bool anyNotEvaluated = false;
    const std::uint32_t fibres = fibreCount();
    forEachReportWavelength(store_.wavelengthSummary, [&](const WavelengthSummaryEntry& entry) {
        Counts counts{entry.wavelength};
        for (std::uint32_t fibre = 1; fibre <= fibres; ++fibre) {
            switch (verdictOf(entry, fibreAverage(entry.wavelength, fibre))) {
            case Verdict::WithinLimit: ++counts.within; break;
            case Verdict::OverLimit: ++counts.over; break;
            case Verdict::NotEvaluated: ++counts.notEvaluated; break;
            }
        }
        anyNotEvaluated = anyNotEvaluated || counts.notEvaluated > 0;
        rows.push_back(counts);
    });
    if (rows.empty()) return true;

    // The not-evaluated column only where it has something to say.
    const LanguageTable& language = store_.language;
    std::u16string table = u"<table class=\"data summary\"><thead><tr><th></th><th>" +
                           language.text(TEXT_REMARK_WITHIN_LIMIT) + u"</th><th>" +
                           language.text(TEXT_REMARK_OVER_LIMIT) + u"</th>";
    if (anyNotEvaluated) table += u"<th>" + language.text(TEXT_REMARK_NOT_EVALUATED) + u"</th>";
    table += u"</tr></thead><tbody>";
    for (const Counts& counts : rows) {
        table += u"<tr><th>" + integerText(counts.wavelength) + u" nm</th>" +
                 summaryCountCell(counts.within, false) + summaryCountCell(counts.over, true);
        if (anyNotEvaluated) table += summaryCountCell(counts.notEvaluated, false);
        table += u"</tr>";
    }
    table += u"</tbody></table>";
    return out_.write(table);
}

bool LossReport::writeCharts() {
    const std::uint32_t fibres = fibreCount();
    std::u16string charts;
    forEachReportWavelength(store_.wavelengthSummary, [&](const WavelengthSummaryEntry& entry) {
        LossChart chart{entry.wavelength, std::nullopt, std::vector<ChartFibre>(fibres)};
        const double dbPerKm = findDbPerKm(store_, entry.wavelength);
        if (dbPerKm != NOT_SET) chart.lossLimit = lossLimit(store_, dbPerKm);
        for (std::uint32_t fibre = 1; fibre <= fibres; ++fibre) {
            const FibreAverage average = fibreAverage(entry.wavelength, fibre);
            chart.fibres[fibre - 1] = {average.measured(), average.average,
                                       verdictOf(entry, average) == Verdict::OverLimit};
        }
        charts += lossChartSvg(chart);
    });
    return out_.write(charts);
}
