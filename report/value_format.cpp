#include "report/value_format.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/measurement_store.h"
#include "core/number_text.h"
#include "language/language_table.h"
#include "language/text_ids.h"

namespace {

constexpr std::uint32_t USABLE_LIMIT_SETS = LIMIT_SETS - 1;

}  // namespace

double roundHalfAway(double value, double scale) {
    double whole = 0.0;
    const double fraction = std::modf(value, &whole);
    double scaledWhole = 0.0;
    const double scaledFraction = std::modf(fraction * scale, &scaledWhole);
    if (std::fabs(scaledFraction) >= 0.5) {
        return value >= 0 ? whole + (scaledWhole + 1) / scale : whole + (scaledWhole - 1) / scale;
    }
    return scaledWhole / scale + whole;
}

std::u16string twoDecimalText(double value) {
    return asciiToU16(formatFixed(roundHalfAway(value, 100), 2));
}

std::u16string oneDecimalText(double value) {
    return asciiToU16(formatFixed(roundHalfAway(value, 10), 1));
}

std::u16string thresholdText(std::uint8_t lowByte, std::uint8_t highByte) {
    const int word = highByte * 256 + lowByte;
    // Integer first: a negative zero word prints as 0.0, not -0.0.
    const int hundredths = (word & 0x8000) ? -(word & 0x7FFF) : word;
    return oneDecimalText(hundredths / 100.0);
}

std::u16string locationLabel(const LocationNames& names, std::uint32_t location) {
    if (location == 0) return u"----";
    const std::u16string_view name = locationName(names, location);
    return name.empty() ? integerText(location) : std::u16string(name);
}

std::u16string limitSetName(const LimitSet& set) {
    // A zero first byte or twelve blanks both leave nothing: the set is unnamed.
    const auto begin = std::begin(set.name);
    const auto end = std::find(begin, std::end(set.name), std::uint8_t{0});
    const auto last = std::find_if(std::make_reverse_iterator(end), std::make_reverse_iterator(begin),
                                   [](std::uint8_t byte) { return byte != ' '; });
    const std::string name(begin, last.base());
    return latin1ToU16(name);
}

std::u16string limitSetLabel(const LanguageTable& language, const LimitSetTable& table,
                             std::uint32_t setNumber) {
    if (setNumber == 0) return language.text(TEXT_NO_LIMIT_SET);
    if (setNumber <= USABLE_LIMIT_SETS) {
        const std::u16string name = limitSetName(table[setNumber]);
        if (!name.empty()) return name + u"(" + integerText(setNumber) + u")";
    }
    return integerText(setNumber);
}

std::u16string powerText(double power) {
    return power == NOT_SET ? std::u16string(u"----") : twoDecimalText(power);
}

std::u16string unitsText(const LocationRecord& record) {
    const char* end = std::find(record.units, record.units + sizeof record.units, '\0');
    return latin1ToU16(std::string_view(record.units, static_cast<std::size_t>(end - record.units)));
}

std::u16string reportGradeText(const LanguageTable& language, std::int32_t grade, bool evaluated) {
    if (!evaluated) return language.text(TEXT_REPORT_NOT_EVALUATED);
    switch (grade) {
        case GRADE_O: return language.text(TEXT_REPORT_GRADE_O);
        case GRADE_PASS: return language.text(TEXT_REMARK_WITHIN_LIMIT);
        case GRADE_WARNING: return language.text(TEXT_REPORT_GRADE_WARNING);
        case GRADE_FAIL: return language.text(TEXT_REMARK_OVER_LIMIT);
        default: return u"----";
    }
}
