#include "report/zd615_report.h"

#include <algorithm>
#include <unordered_map>

#include "core/measurement_store.h"
#include "core/number_text.h"
#include "language/text_ids.h"
#include "report/report_text.h"
#include "report/value_format.h"

namespace {

constexpr std::array<std::u16string_view, 3> RESULT_MARKERS = {
    u"**RESULT1310**", u"**RESULT1490**", u"**RESULT1550**"};
constexpr std::array<std::u16string_view, 3> VALUE_MARKERS = {
    u"**VAL1310**", u"**VAL1490**", u"**VAL1550**"};
// In the order of the threshold words of a limit set.
constexpr std::array<std::u16string_view, 9> THRESHOLD_MARKERS = {
    u"**PASS1310_VAL**", u"**WARN1310_VAL**", u"**FAIL1310_VAL**",
    u"**PASS1490_VAL**", u"**WARN1490_VAL**", u"**FAIL1490_VAL**",
    u"**PASS1550_VAL**", u"**WARN1550_VAL**", u"**FAIL1550_VAL**"};

// Group states in the order of the summary columns; the first ones are grades.
constexpr std::array<std::size_t, 5> STATE_TEXTS = {TEXT_GROUP_PASSED, TEXT_GROUP_WARNING,
                                                    TEXT_GROUP_FAILED, TEXT_GROUP_NOT_EVALUATED,
                                                    TEXT_GROUP_NOT_GRADED};
constexpr std::size_t GRADED_STATES = 3;

}  // namespace

std::vector<std::vector<std::uint32_t>> selectedGroups(const MeasurementStore& store) {
    std::vector<std::vector<std::uint32_t>> groups;
    std::unordered_map<std::uint64_t, std::size_t> groupOf;
    const std::size_t count = std::min<std::size_t>(store.recordCount, MAX_RECORDS);
    for (std::uint32_t index = 0; index < count; ++index) {
        const LocationRecord& record = store.locationRecords[index];
        if (record.selected == 0) continue;
        const std::uint64_t key = (std::uint64_t{record.olt} << 32) | record.ont;
        const auto [found, added] = groupOf.try_emplace(key, groups.size());
        if (added) groups.emplace_back();
        groups[found->second].push_back(index);
    }
    return groups;
}

std::u16string Zd615Report::limitSetText(std::uint32_t setNumber) const {
    if (setNumber == 0) return store_.language.text(TEXT_NO_LIMIT_SET);
    // Set names come from the instrument or the operator.
    return htmlEscaped(limitSetLabel(store_.language, store_.activeLimitSets, setNumber));
}

void Zd615Report::countGrades(const LocationRecord& record, GradeCounters& counters) const {
    for (std::size_t c = 0; c < 3; ++c) {
        const bool evaluated = store_.evaluateWavelength[c] != 0;
        const std::int32_t grade = record.grade[c];
        if (!evaluated) {
            ++counters.notEvaluated;
        } else if (grade == GRADE_O || grade == GRADE_FAIL) {
            ++counters.failed;
        } else if (grade == GRADE_PASS) {
            ++counters.passed;
        } else if (grade == GRADE_WARNING) {
            ++counters.warning;
        } else if (grade == GRADE_NOT_GRADED) {
            ++counters.notGraded;
        }
    }
}

std::size_t Zd615Report::groupState(const GradeCounters& counters) {
    if (counters.failed > 0) return TEXT_GROUP_FAILED;
    if (counters.warning > 0) return TEXT_GROUP_WARNING;
    if (counters.passed > 0) return TEXT_GROUP_PASSED;
    if (counters.notGraded > 0 && counters.notEvaluated == 0) return TEXT_GROUP_NOT_GRADED;
    return TEXT_GROUP_NOT_EVALUATED;
}

std::u16string Zd615Report::valueRow(const LocationRecord& record, GradeCounters& counters) {
    std::u16string row = tableRow_;
    replaceFirst(row, u"**LOC_VAL**",
                 htmlEscaped(locationLabel(store_.locationNames, record.location)));
    replaceFirst(row, u"**LIMSET_VAL**", limitSetText(record.limitSet));
    if (record.limitSet >= 1 && record.limitSet <= 16) setUsed_[record.limitSet] = true;
    if (record.limitSet != 0) anySetUsed_ = true;

    countGrades(record, counters);
    for (std::size_t c = 0; c < 3; ++c) {
        replaceFirst(row, RESULT_MARKERS[c],
                     reportGradeText(store_.language, record.grade[c],
                                     store_.evaluateWavelength[c] != 0));
    }
    for (std::size_t c = 0; c < 3; ++c) {
        replaceFirst(row, VALUE_MARKERS[c], powerText(record.power[c]));
    }
    return row;
}

std::u16string Zd615Report::groupTable(const std::u16string& rows, const LocationRecord& first,
                                       const GradeCounters& counters) const {
    std::u16string table = tableHead_;
    replaceFirst(table, u"**OLT_VAL**", integerText(first.olt));
    replaceFirst(table, u"**ONT_VAL**", integerText(first.ont));
    replaceFirst(table, u"**UNITS**", htmlEscaped(unitsText(first)));
    table += rows;
    replaceFirst(table, u"**RESSTATE**", store_.language.text(groupState(counters)));
    table += tableFoot_;
    return table;
}

bool Zd615Report::writeValueTables(std::u16string_view foot) {
    tableFoot_ = foot;
    const std::size_t count = std::min<std::size_t>(store_.recordCount, MAX_RECORDS);
    for (std::size_t index = 0; index < count; ++index) {
        store_.locationRecords[index].reportMark = 0;
    }
    for (const std::vector<std::uint32_t>& group : selectedGroups(store_)) {
        GradeCounters counters;
        std::u16string rows;
        for (std::uint32_t index : group) {
            LocationRecord& record = store_.locationRecords[index];
            rows += valueRow(record, counters);
            record.reportMark = 1;
        }
        if (!out_.write(groupTable(rows, store_.locationRecords[group.front()], counters))) {
            return false;
        }
    }
    return true;
}

bool Zd615Report::writeLimitTable(std::u16string_view foot) {
    tableFoot_ = foot;
    if (!anySetUsed_) return true;
    std::u16string table = tableHead_;
    for (std::uint32_t set = 0; set < LIMIT_SETS; ++set) {
        if (!setUsed_[set]) continue;
        std::u16string row = tableRow_;
        replaceFirst(row, u"**LIM_NUM**", limitSetText(set));
        const std::uint8_t* words = store_.activeLimitSets[set].thresholds;
        for (std::size_t word = 0; word < THRESHOLD_MARKERS.size(); ++word) {
            replaceFirst(row, THRESHOLD_MARKERS[word],
                         thresholdText(words[2 * word + 1], words[2 * word]));
        }
        table += row;
    }
    table += tableFoot_;
    return out_.write(table);
}

bool Zd615Report::writeSummary() {
    const std::vector<std::vector<std::uint32_t>> groups = selectedGroups(store_);
    if (groups.empty()) return true;
    std::array<std::uint32_t, STATE_TEXTS.size()> groupsIn{};
    for (const std::vector<std::uint32_t>& group : groups) {
        GradeCounters counters;
        for (std::uint32_t index : group) countGrades(store_.locationRecords[index], counters);
        const std::size_t state = groupState(counters);
        ++groupsIn[static_cast<std::size_t>(
            std::find(STATE_TEXTS.begin(), STATE_TEXTS.end(), state) - STATE_TEXTS.begin())];
    }
    // The three grades always; the states without a grade only when some
    // group is in them.
    std::u16string heads;
    std::u16string cells;
    for (std::size_t column = 0; column < STATE_TEXTS.size(); ++column) {
        if (column >= GRADED_STATES && groupsIn[column] == 0) continue;
        heads += u"<th>" + store_.language.text(STATE_TEXTS[column]) + u"</th>";
        cells += summaryCountCell(groupsIn[column], STATE_TEXTS[column] == TEXT_GROUP_FAILED);
    }
    return out_.write(u"<table class=\"data summary\"><thead><tr>" + heads +
                      u"</tr></thead><tbody><tr>" + cells + u"</tr></tbody></table>");
}
