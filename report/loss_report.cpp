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

std::uint32_t reportFibreCount(const MeasurementStore& store) {
    if (!hasReportWavelength(store.wavelengthSummary)) return 0;
    return std::min(store.wavelengthSummary.maxSelectedOrder, store.recordCount);
}

void RowVerdict::add(const FibreResult& result) {
    overLimit = overLimit || result.overLimit();
    withinLimit = withinLimit || result.withinLimit();
}

std::size_t RowVerdict::remarkText() const {
    return overLimit     ? TEXT_REMARK_OVER_LIMIT
           : withinLimit ? TEXT_REMARK_WITHIN_LIMIT
                         : TEXT_REMARK_NOT_EVALUATED;
}

SelectedReadings::SelectedReadings(const MeasurementStore& store) : store_(store) {
    // The first reading of each wavelength, state and order wins; the used
    // part of the array ends at the first empty slot.
    const std::size_t count = std::min<std::size_t>(store.recordCount, MAX_RECORDS);
    for (std::size_t index = 0; index < count; ++index) {
        const ReadingRecord& reading = store.readings[index];
        if (reading.state == STATE_EMPTY) break;
        if (reading.state == STATE_A_TO_B || reading.state == STATE_B_TO_A) {
            index_[reading.state - STATE_A_TO_B].try_emplace(
                readingKey(reading.wavelength, reading.order), static_cast<std::uint32_t>(index));
        }
    }
}

std::int64_t SelectedReadings::find(std::uint32_t wavelength, std::uint32_t state,
                                    std::uint32_t order) const {
    const auto& index = index_[state - STATE_A_TO_B];
    const auto found = index.find(readingKey(wavelength, order));
    return found == index.end() ? -1 : std::int64_t{found->second};
}

FibreResult SelectedReadings::result(std::uint32_t wavelength, std::uint32_t fibre) const {
    FibreResult result;
    const std::int64_t aToB = find(wavelength, STATE_A_TO_B, fibre);
    const std::int64_t bToA = find(wavelength, STATE_B_TO_A, fibre);
    if (aToB >= 0) result.aToB = store_.readings[aToB].value;
    if (bToA >= 0) result.bToA = store_.readings[bToA].value;
    if (!result.measured()) return result;
    // A missing direction counts 0 over the directions present.
    const int directions = (result.aToB ? 1 : 0) + (result.bToA ? 1 : 0);
    result.average = (result.aToB.value_or(0.0) + result.bToA.value_or(0.0)) / directions;
    const double dbPerKm = findDbPerKm(store_, wavelength);
    if (dbPerKm != NOT_SET) result.limit = lossLimit(store_, dbPerKm);
    return result;
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

const SelectedReadings& LossReport::selectedReadings() {
    if (!selectedReadings_) selectedReadings_.emplace(store_);
    return *selectedReadings_;
}

std::u16string LossReport::valueCell(WavelengthSummaryEntry& entry, std::uint32_t fibre,
                                     RowVerdict& verdict) {
    const FibreResult result = selectedReadings().result(entry.wavelength, fibre);
    std::u16string cell = cellPattern_;
    replaceFirst(cell, u"**VALAB**",
                 result.aToB ? twoDecimalText(*result.aToB) : std::u16string(MISSING));
    replaceFirst(cell, u"**VALBA**",
                 result.bToA ? twoDecimalText(*result.bToA) : std::u16string(MISSING));
    if (!result.measured()) {
        replaceFirst(cell, u"**VALAVE**", MISSING);
        return cell;
    }

    if (result.aToB) accumulate(*result.aToB, entry.sum1, entry.count1, entry.max1, entry.min1);
    if (result.bToA) accumulate(*result.bToA, entry.sum2, entry.count2, entry.max2, entry.min2);
    accumulate(result.average, entry.sum3, entry.count3, entry.max3, entry.min3);
    verdict.add(result);

    const std::u16string averageText = twoDecimalText(result.average);
    replaceFirst(cell, u"**VALAVE**",
                 result.overLimit() ? u"<B>" + averageText + u"</B>" : averageText);
    return cell;
}

bool LossReport::writeValueLines(std::u16string_view body) {
    const std::uint32_t fibres = reportFibreCount(store_);
    for (std::uint32_t fibre = 1; fibre <= fibres; ++fibre) {
        RowVerdict verdict;
        std::u16string cells;
        forEachReportWavelength(store_.wavelengthSummary, [&](WavelengthSummaryEntry& entry) {
            cells += valueCell(entry, fibre, verdict);
        });
        std::u16string line(body);
        replaceFirst(line, u"**THREAD**", integerText(fibre));
        replaceFirst(line, u"**REMARK**", store_.language.text(verdict.remarkText()));
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
    const std::uint32_t fibres = reportFibreCount(store_);
    forEachReportWavelength(store_.wavelengthSummary, [&](const WavelengthSummaryEntry& entry) {
        Counts counts{entry.wavelength};
        for (std::uint32_t fibre = 1; fibre <= fibres; ++fibre) {
            const FibreResult result = selectedReadings().result(entry.wavelength, fibre);
            if (result.overLimit()) {
                ++counts.over;
            } else if (result.withinLimit()) {
                ++counts.within;
            } else {
                ++counts.notEvaluated;
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
    const std::uint32_t fibres = reportFibreCount(store_);
    std::u16string charts;
    forEachReportWavelength(store_.wavelengthSummary, [&](const WavelengthSummaryEntry& entry) {
        LossChart chart{entry.wavelength, std::nullopt, std::vector<ChartFibre>(fibres)};
        const double dbPerKm = findDbPerKm(store_, entry.wavelength);
        if (dbPerKm != NOT_SET) chart.lossLimit = lossLimit(store_, dbPerKm);
        for (std::uint32_t fibre = 1; fibre <= fibres; ++fibre) {
            const FibreResult result = selectedReadings().result(entry.wavelength, fibre);
            chart.fibres[fibre - 1] = {result.measured(), result.average, result.overLimit()};
        }
        charts += lossChartSvg(chart);
    });
    return out_.write(charts);
}
