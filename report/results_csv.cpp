#include "report/results_csv.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/atomic_file.h"
#include "core/measurement_store.h"
#include "core/number_text.h"
#include "language/text_ids.h"
#include "report/loss_report.h"
#include "report/value_format.h"
#include "report/zd615_report.h"

namespace {

using Line = std::vector<std::u16string>;

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";
constexpr std::array<std::u16string_view, 3> ZD615_WAVELENGTHS = {u"1310 nm", u"1490 nm",
                                                                  u"1550 nm"};

// An interface text as a column heading: without the access-key marks of a
// label ("&&" stays one "&") and without a closing colon.
std::u16string headingOf(std::u16string_view label) {
    std::u16string heading;
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (label[i] == u'&' && i + 1 < label.size()) ++i;
        heading += label[i];
    }
    while (!heading.empty() && (heading.back() == u':' || heading.back() == u' ')) {
        heading.pop_back();
    }
    return heading;
}

// Spreadsheets leave an empty field out of sums and charts; a dash would be text.
std::u16string valueOrEmpty(const std::optional<double>& value) {
    return value ? twoDecimalText(*value) : std::u16string();
}

std::u16string powerOrEmpty(double power) {
    return power == NOT_SET ? std::u16string() : twoDecimalText(power);
}

Line lossHeading(const LanguageTable& language) {
    return {headingOf(language.text(TEXT_NUMBER_COLUMN)),
            headingOf(language.text(TEXT_SELECTION_WAVELENGTH)) + u" [nm]",
            headingOf(language.text(TEXT_VALUES_A_TO_B)) + u" [dB]",
            headingOf(language.text(TEXT_VALUES_B_TO_A)) + u" [dB]",
            u"Ø [dB]",
            u"Limit [dB]",
            headingOf(language.text(TEXT_HEADING_RESULT))};
}

// Fibre by fibre as the value lines, each of its report wavelengths that
// has a reading; a missing direction or limit leaves its field empty.
std::vector<Line> lossLines(const MeasurementStore& store) {
    std::vector<Line> lines{lossHeading(store.language)};
    const SelectedReadings readings(store);
    const std::uint32_t fibres = reportFibreCount(store);
    for (std::uint32_t fibre = 1; fibre <= fibres; ++fibre) {
        forEachReportWavelength(store.wavelengthSummary, [&](const WavelengthSummaryEntry& entry) {
            const FibreResult result = readings.result(entry.wavelength, fibre);
            if (!result.measured()) return;
            RowVerdict verdict;
            verdict.add(result);
            lines.push_back({integerText(fibre), integerText(entry.wavelength),
                             valueOrEmpty(result.aToB), valueOrEmpty(result.bToA),
                             twoDecimalText(result.average), valueOrEmpty(result.limit),
                             store.language.text(verdict.remarkText())});
        });
    }
    return lines;
}

Line zd615Heading(const LanguageTable& language) {
    Line heading{headingOf(language.text(TEXT_HEADING_OLT)),
                 headingOf(language.text(TEXT_HEADING_ONT)),
                 headingOf(language.text(TEXT_HEADING_LOCATION))};
    for (std::u16string_view wavelength : ZD615_WAVELENGTHS) {
        heading.push_back(std::u16string(wavelength) + u" [dBm]");
        heading.push_back(headingOf(language.text(TEXT_HEADING_RESULT)) + u" " +
                          std::u16string(wavelength));
    }
    heading.push_back(headingOf(language.text(TEXT_HEADING_LIMIT_SET)));
    return heading;
}

// The ticked rows in the order of the report's value tables.
std::vector<Line> zd615Lines(const MeasurementStore& store) {
    std::vector<Line> lines{zd615Heading(store.language)};
    for (const std::vector<std::uint32_t>& group : selectedGroups(store)) {
        for (std::uint32_t index : group) {
            const LocationRecord& record = store.locationRecords[index];
            Line line{integerText(record.olt), integerText(record.ont),
                      locationLabel(store.locationNames, record.location)};
            for (std::size_t c = 0; c < ZD615_WAVELENGTHS.size(); ++c) {
                line.push_back(powerOrEmpty(record.power[c]));
                line.push_back(reportGradeText(store.language, record.grade[c],
                                               store.evaluateWavelength[c] != 0));
            }
            line.push_back(limitSetLabel(store.language, store.activeLimitSets, record.limitSet));
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

std::string csvText(const std::vector<Line>& lines) {
    std::string text(BYTE_ORDER_MARK);
    for (const Line& line : lines) {
        for (std::size_t field = 0; field < line.size(); ++field) {
            if (field != 0) text += ';';
            text += u16ToUtf8(csvField(line[field]));
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace

std::u16string csvField(std::u16string_view text) {
    if (text.find_first_of(u";\"\r\n") == std::u16string_view::npos) return std::u16string(text);
    std::u16string quoted = u"\"";
    for (char16_t unit : text) {
        if (unit == u'"') quoted += u'"';
        quoted += unit;
    }
    return quoted + u"\"";
}

bool hasResults(const MeasurementStore& store) {
    const std::size_t count = std::min<std::size_t>(store.recordCount, MAX_RECORDS);
    if (store.instrumentKind == KIND_ZD615) {
        return std::any_of(store.locationRecords.begin(), store.locationRecords.begin() + count,
                           [](const LocationRecord& record) { return record.selected != 0; });
    }
    return std::any_of(store.readings.begin(), store.readings.begin() + count,
                       [](const ReadingRecord& reading) {
                           return reading.state == STATE_A_TO_B || reading.state == STATE_B_TO_A;
                       });
}

std::string resultsCsv(MeasurementStore& store) {
    rebuildWavelengthSummary(store);
    computeBudget(store);
    return csvText(store.instrumentKind == KIND_ZD615 ? zd615Lines(store) : lossLines(store));
}

bool writeResultsCsv(MeasurementStore& store, const std::filesystem::path& file) {
    const std::string text = resultsCsv(store);
    return writeFileAtomically(file, text.data(), text.size());
}
