// The ZD615 blocks of a report: one value table per OLT/ONT group with the
// grades counted into the group's state, and the table of the limit sets
// those groups used; and the summary of the group states, written wherever
// its marker stands.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct LocationRecord;
struct MeasurementStore;
class ReportWriter;

// Indexes of the selected records grouped by OLT and ONT: groups in the
// storage order of their first record, each group's records in storage order.
std::vector<std::vector<std::uint32_t>> selectedGroups(const MeasurementStore& store);

// Working state of the ZD615 blocks for one report. The value table and the
// limit table share the head, row and foot slots; each table's blocks
// overwrite what the other's left there.
class Zd615Report {
public:
    Zd615Report(MeasurementStore& store, ReportWriter& out) : store_(store), out_(out) {}

    void keepTableHead(std::u16string_view body) { tableHead_ = body; }  // *_TOP_END
    void keepTableRow(std::u16string_view body) { tableRow_ = body; }    // *_LOC_END, *_VAL_END

    // ZD615_VAL_TABLE_BOT_END: every selected record once, grouped by OLT and ONT.
    bool writeValueTables(std::u16string_view foot);
    // ZD615_LIM_TABLE_BOT_END: the limit sets the value tables before used.
    bool writeLimitTable(std::u16string_view foot);
    // ZDSUMMARY: how many OLT/ONT groups are in each state.
    bool writeSummary();

private:
    struct GradeCounters {
        unsigned failed = 0;
        unsigned warning = 0;
        unsigned passed = 0;
        unsigned notGraded = 0;
        unsigned notEvaluated = 0;
    };

    void countGrades(const LocationRecord& record, GradeCounters& counters) const;
    // The language text of the state of a group with these counters.
    static std::size_t groupState(const GradeCounters& counters);
    std::u16string valueRow(const LocationRecord& record, GradeCounters& counters);
    std::u16string limitSetText(std::uint32_t setNumber) const;
    std::u16string groupTable(const std::u16string& rows, const LocationRecord& first,
                              const GradeCounters& counters) const;

    MeasurementStore& store_;
    ReportWriter& out_;
    std::u16string tableHead_;
    std::u16string tableRow_;
    std::u16string tableFoot_;
    // Limit-set numbers 0..16 met in value rows; set 0 (none) is never marked.
    std::array<bool, 17> setUsed_{};
    bool anySetUsed_ = false;
};
