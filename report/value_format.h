// Display texts of values shared by the dialogs and the reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/records.h"

struct LanguageTable;

// value rounded to 1/scale, halves away from zero.
double roundHalfAway(double value, double scale);

// "%.2f" of roundHalfAway(value, 100), and "%.1f" of roundHalfAway(value, 10).
std::u16string twoDecimalText(double value);
std::u16string oneDecimalText(double value);

std::u16string thresholdText(std::uint8_t lowByte, std::uint8_t highByte);
std::u16string locationLabel(const LocationNames& names, std::uint32_t location);
std::u16string limitSetName(const LimitSet& set);
std::u16string limitSetLabel(const LanguageTable& language, const LimitSetTable& table,
                             std::uint32_t setNumber);
// A ZD615 power: "%.2f" rounded, or "----" when the instrument sent none.
std::u16string powerText(double power);
// The unit text of a location record: its bytes up to the first zero.
std::u16string unitsText(const LocationRecord& record);

std::u16string reportGradeText(const LanguageTable& language, std::int32_t grade,
                               bool evaluated);
